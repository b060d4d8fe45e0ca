#include "flats/RegionSpans.h"

#include <algorithm>

#include "base/RowBands.h"

namespace tessel::flats {

namespace {

// `count` pixels from `pixel` on, `column` bytes apart, with a constant
// number of planes a byte apart, so that the copy unrolls.
template <int kPlanes>
void PaintInterleaved(uint8_t* pixel, int64_t count, int64_t column, const uint8_t* colour) {
  uint8_t bytes[kPlanes];  // a copy the writes cannot alias, kept in registers
  std::copy(colour, colour + kPlanes, bytes);
  for (; count > 0; --count, pixel += column)
    for (int p = 0; p < kPlanes; ++p) pixel[p] = bytes[p];
}

}  // namespace

void PaintRegions(const RegionRuns& map, const RegionSpans& spans, const std::vector<std::vector<uint8_t>>& colours,
                  const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes) {
  base::InRowBands(map.height, [&](int64_t first, int64_t last) {
    PaintRegions(map, spans, colours, repaint, flats, colourPlanes, first, last);
  });
}

void PaintRegions(const RegionRuns& map, const RegionSpans& spans, const std::vector<std::vector<uint8_t>>& colours,
                  const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes, int64_t firstRow,
                  int64_t endRow) {
  const int64_t column = flats.columnBytes(), plane = flats.planeBytes();
  for (int64_t y = firstRow; y < endRow; ++y) {
    uint8_t* const row = &flats.at(0, y, 0);
    const auto paint = [&](int64_t begin, int64_t end, int32_t region) {
      const uint8_t* colour = colours[static_cast<size_t>(region)].data();
      uint8_t* const pixel = row + begin * column;
      if (plane == 1 && colourPlanes == 3) return PaintInterleaved<3>(pixel, end - begin, column, colour);
      if (plane == 1 && colourPlanes == 4) return PaintInterleaved<4>(pixel, end - begin, column, colour);
      for (int p = 0; p < colourPlanes; ++p)
        for (int64_t n = 0; n < end - begin; ++n) pixel[p * plane + n * column] = colour[p];
    };
    ForEachOwner(map, spans, y, [&](int64_t begin, int64_t end, int32_t region, bool underLines) {
      if (underLines || repaint[static_cast<size_t>(region)]) paint(begin, end, region);
    });
  }
}

}  // namespace tessel::flats
