#include "flats/RegionSpans.h"

#include "flats/RowBands.h"

namespace tessel::flats {

void PaintRegions(const RegionRuns& map, const RegionSpans& spans, const std::vector<std::vector<uint8_t>>& colours,
                  const std::vector<bool>& repaint, host::ImageBuffer& flats, int colourPlanes) {
  const int64_t column = flats.columnBytes(), plane = flats.planeBytes();
  InRowBands(map.height, [&](int64_t first, int64_t last) {
    for (int64_t y = first; y < last; ++y) {
      uint8_t* const row = &flats.at(0, y, 0);
      const auto paint = [&](int64_t begin, int64_t end, int32_t region) {
        const uint8_t* colour = colours[static_cast<size_t>(region)].data();
        for (int p = 0; p < colourPlanes; ++p) {
          uint8_t* pixel = row + p * plane + begin * column;
          for (int64_t n = begin; n < end; ++n, pixel += column) *pixel = colour[p];
        }
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
