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
  const int64_t column = flats.columnBytes(), plane = flats.planeBytes();
  base::InRowBands(map.height, [&](int64_t first, int64_t last) {
    for (int64_t y = first; y < last; ++y) {
      uint8_t* const row = &flats.at(0, y, 0);
      const auto paint = [&](int64_t begin, int64_t end, int32_t region) {
        const uint8_t* colour = colours[static_cast<size_t>(region)].data();
        uint8_t* const pixel = row + begin * column;
        if (plane == 1 && colourPlanes == 3) return PaintInterleaved<3>(pixel, end - begin, column, colour);
        if (plane == 1 && colourPlanes == 4) return PaintInterleaved<4>(pixel, end - begin, column, colour);
        for (int p = 0; p < colourPlanes; ++p)
          for (int64_t n = 0; n < end - begin; ++n) pixel[p * plane + n * column] = colour[p];
      };
      const RegionSpans::Span* span = spans.rows[static_cast<size_t>(y)].begin;
      const auto paintGap = [&](int64_t x, int64_t end) {
        for (; x < end; x = span->end, ++span) paint(x, span->end, span->region);
      };
      int64_t x = 0;
      for (size_t i = map.rowStart[static_cast<size_t>(y)]; i < map.rowStart[static_cast<size_t>(y) + 1]; ++i) {
        const RegionRuns::Run& run = map.runs[i];
        paintGap(x, run.begin);
        if (repaint[static_cast<size_t>(run.region)]) paint(run.begin, run.end, run.region);
        x = run.end;
      }
      paintGap(x, map.width);
    }
  });
}

}  // namespace tessel::flats
