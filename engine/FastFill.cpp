#include "engine/FastFill.h"

#include "engine/VectorBlocks.h"

namespace {

template <class Blocks>
PaintedArea Fill(Blocks blocks, const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4],
                 PaintedArea area, int64_t x, int64_t y, std::vector<FillSegment>& pending) {
  BasicPixelRegion<Blocks> region(geometry, test, paint, area, blocks);
  ScanlineFill(x, y, region, pending);
  return region.area();
}

#ifdef TESSEL_HAVE_X86
// The whole fill as one function around the vector block test, so that the
// test is inlined at every use; only reached when the processor has SSSE3.
template <class Blocks>
__attribute__((target("ssse3"), flatten)) PaintedArea VectorFill(const PixelGeometry& geometry, const FillTest& test,
                                                                   const uint8_t (&paint)[4], PaintedArea area,
                                                                   int64_t x, int64_t y,
                                                                   std::vector<FillSegment>& pending) {
  return Fill(Blocks(test), geometry, test, paint, area, x, y, pending);
}
#endif

}  // namespace

PaintedArea FloodRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4],
                        PaintedArea area, int64_t x, int64_t y, std::vector<FillSegment>& pending) {
#ifdef TESSEL_HAVE_X86
  if (ProcessorHasSsse3() && geometry.planeBytes == 1) {
    const int64_t column = geometry.columnBytes;
    if (column == 1 && test.planes == 1) return VectorFill<SeparateBlocks<1>>(geometry, test, paint, area, x, y, pending);
    if (column == 3 && test.planes == 3)
      return VectorFill<InterleavedBlocks<3, 3>>(geometry, test, paint, area, x, y, pending);
    if (column == 4 && test.planes == 4)
      return VectorFill<InterleavedBlocks<4, 4>>(geometry, test, paint, area, x, y, pending);
    if (column == 4 && test.planes == 3)
      return VectorFill<InterleavedBlocks<4, 3>>(geometry, test, paint, area, x, y, pending);
  }
#endif
  const DispatchedBlocks blocks{ChooseBlockMask(test, geometry.columnBytes, geometry.planeBytes, true)};
  return Fill(blocks, geometry, test, paint, area, x, y, pending);
}
