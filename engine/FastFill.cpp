#include "engine/FastFill.h"

#include <variant>

#include "engine/VectorBlocks.h"

namespace {

// The block tests a fill may be compiled around, one per layout it knows.
#ifdef TESSEL_HAVE_X86
using Blocks = std::variant<DispatchedBlocks, SeparateBlocks<1>, InterleavedBlocks<3, 3>, InterleavedBlocks<4, 4>,
                            InterleavedBlocks<4, 3>>;
#else
using Blocks = std::variant<DispatchedBlocks>;
#endif

// The fastest block test for the buffer's layout: vector code compiled in for
// grey, RGB, CMYK and RGB with a fourth byte, a function pointer else.
Blocks ChooseBlocks(const PixelGeometry& geometry, const FillTest& test) {
#ifdef TESSEL_HAVE_X86
  if (ProcessorHasSsse3() && geometry.planeBytes == 1) {
    const int64_t column = geometry.columnBytes;
    if (column == 1 && test.planes == 1) return SeparateBlocks<1>(test);
    if (column == 3 && test.planes == 3) return InterleavedBlocks<3, 3>(test);
    if (column == 4 && test.planes == 4) return InterleavedBlocks<4, 4>(test);
    if (column == 4 && test.planes == 3) return InterleavedBlocks<4, 3>(test);
  }
#endif
  return DispatchedBlocks{ChooseBlockMask(test, geometry.columnBytes, geometry.planeBytes, true)};
}

template <class Work>
auto RunWith(const DispatchedBlocks& blocks, Work& work) {
  return work(blocks);
}

#ifdef TESSEL_HAVE_X86
// `work` around a vector block test, all of it compiled as one function so
// that the test is inlined at every use; only reached when the processor has
// SSSE3.
template <class VectorBlocks, class Work>
__attribute__((target("ssse3"), flatten)) auto RunWith(const VectorBlocks& blocks, Work& work) {
  return work(blocks);
}
#endif

template <class Work>
auto WithBlocks(const Blocks& blocks, Work work) {
  return std::visit([&](const auto& chosen) { return RunWith(chosen, work); }, blocks);
}

}  // namespace

PaintedArea FloodRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4],
                        const PaintedArea& area, int64_t x, int64_t y, std::vector<FillSegment>& pending,
                        bool firstOfRegion) {
  return WithBlocks(ChooseBlocks(geometry, test), [&](const auto& blocks) {
    BasicPixelRegion<std::decay_t<decltype(blocks)>> region(geometry, test, paint, area, blocks);
    ScanlineFill(x, y, region, pending, firstOfRegion);
    return region.area();
  });
}

struct SeedSearch::Prepared {
  PixelGeometry geometry;
  FillTest test;
  Blocks blocks;
};

SeedSearch::SeedSearch(const PixelGeometry& geometry, const FillTest& test)
    : mPrepared(new Prepared{geometry, test, ChooseBlocks(geometry, test)}) {}

SeedSearch::~SeedSearch() = default;

int64_t SeedSearch::Find(const FillTest& test, int64_t from, int64_t to, int64_t y) {
  Prepared& prepared = *mPrepared;
  if (!(test == prepared.test)) {
    prepared.test = test;
    prepared.blocks = ChooseBlocks(prepared.geometry, test);
  }
  return WithBlocks(prepared.blocks, [&](const auto& blocks) {
    return BasicPixelRows<std::decay_t<decltype(blocks)>>(prepared.geometry, prepared.test, blocks)
        .FindFirst(from, to, y);
  });
}
