#include "engine/FastFill.h"

#include "engine/VectorBlocks.h"

namespace {

#ifdef TESSEL_HAVE_X86
// `work` with the vector block test of one layout, all of it compiled as one
// function so that the test is inlined at every use; only reached when the
// processor has SSSE3.
template <class Blocks, class Work>
__attribute__((target("ssse3"), flatten)) auto WithVectorBlocks(const FillTest& test, Work& work) {
  return work(Blocks(test));
}
#endif

// Calls `work` with the fastest block test for the buffer's layout: compiled
// in for grey, RGB, CMYK and RGB with a fourth byte, through a pointer else.
template <class Work>
auto WithBlocks(const PixelGeometry& geometry, const FillTest& test, Work work) {
#ifdef TESSEL_HAVE_X86
  if (ProcessorHasSsse3() && geometry.planeBytes == 1) {
    const int64_t column = geometry.columnBytes;
    if (column == 1 && test.planes == 1) return WithVectorBlocks<SeparateBlocks<1>>(test, work);
    if (column == 3 && test.planes == 3) return WithVectorBlocks<InterleavedBlocks<3, 3>>(test, work);
    if (column == 4 && test.planes == 4) return WithVectorBlocks<InterleavedBlocks<4, 4>>(test, work);
    if (column == 4 && test.planes == 3) return WithVectorBlocks<InterleavedBlocks<4, 3>>(test, work);
  }
#endif
  return work(DispatchedBlocks{ChooseBlockMask(test, geometry.columnBytes, geometry.planeBytes, true)});
}

}  // namespace

PaintedArea FloodRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4],
                        const PaintedArea& area, int64_t x, int64_t y, std::vector<FillSegment>& pending,
                        bool firstOfRegion) {
  return WithBlocks(geometry, test, [&](auto blocks) {
    BasicPixelRegion<decltype(blocks)> region(geometry, test, paint, area, blocks);
    ScanlineFill(x, y, region, pending, firstOfRegion);
    return region.area();
  });
}

int64_t FindFillPixel(const PixelGeometry& geometry, const FillTest& test, int64_t from, int64_t to, int64_t y) {
  return WithBlocks(geometry, test, [&](auto blocks) {
    return BasicPixelRows<decltype(blocks)>(geometry, test, blocks).FindFirst(from, to, y);
  });
}
