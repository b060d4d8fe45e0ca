#include "engine/BlockTest.h"

#include "engine/VectorBlocks.h"

namespace {

uint32_t PortableMask(const FillTest& test, const uint8_t* p, int64_t columnBytes, int64_t planeStep) {
  uint32_t mask = 0;
  for (int i = 0; i < kBlockPixels; ++i, p += columnBytes)
    if (test.Passes(p, planeStep)) mask |= 1u << i;
  return mask;
}

#ifdef TESSEL_HAVE_X86

using namespace vector_blocks;

// The block test for `planes` planes, one instance per plane count.
template <template <int> class Mask>
BlockMaskFn ForPlanes(int planes) {
  switch (planes) {
    case 1:
      return Mask<1>::Fn;
    case 2:
      return Mask<2>::Fn;
    case 3:
      return Mask<3>::Fn;
    default:
      return Mask<4>::Fn;
  }
}

template <int count>
struct Separate {
  static constexpr BlockMaskFn Fn = SeparateMask<count>;
};
template <int count>
struct Interleaved3 {
  static constexpr BlockMaskFn Fn = InterleavedMask<3, count < 3 ? count : 3>;
};
template <int count>
struct Interleaved4 {
  static constexpr BlockMaskFn Fn = InterleavedMask<4, count>;
};

#endif

}  // namespace

BlockMaskFn ChooseBlockMask(const FillTest& test, int64_t columnBytes, int64_t planeStep, bool vectorAllowed) {
#ifdef TESSEL_HAVE_X86
  if (vectorAllowed && ProcessorHasSsse3() && test.planes >= 1 && test.planes <= 4) {
    if (columnBytes == 1) return ForPlanes<Separate>(test.planes);
    if (planeStep == 1 && columnBytes == 3 && test.planes <= 3) return ForPlanes<Interleaved3>(test.planes);
    if (planeStep == 1 && columnBytes == 4) return ForPlanes<Interleaved4>(test.planes);
  }
#else
  (void)vectorAllowed;
#endif
  (void)columnBytes;
  (void)planeStep;
  return PortableMask;
}
