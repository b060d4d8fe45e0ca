// The nearest-region map (every pixel given to its region, or to its nearest
// region pixel's) outside the regions, kept as spans of its rows, so that
// the flats can be painted under the lines in new colours without searching
// for the nearest region pixels again. A row holds a span or two for each
// region run: a page costs about as much as its runs, far less than a label
// per pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "base/HugePages.h"
#include "base/ImageBuffer.h"
#include "flats/RegionRuns.h"

namespace tessel::flats {

struct RegionSpans {
  // Pixels outside the regions given to one region. In a row, the gaps
  // around the region runs are covered by consecutive spans, left to right:
  // a gap's first span starts where the gap does, each next one where the
  // one before ends.
  struct Span {
    int32_t end;     // column
    int32_t region;  // index in RegionRuns::regions
  };
  struct Row {
    const Span* begin;
    const Span* end;
  };
  RegionSpans() = default;
  RegionSpans(RegionSpans&&) = default;  // moving keeps every block where it is
  RegionSpans& operator=(RegionSpans&&) = default;
  RegionSpans(const RegionSpans&) = delete;  // a copy's rows would point into the original
  RegionSpans& operator=(const RegionSpans&) = delete;

  using Band = std::vector<Span, base::HugePageAllocator<Span>>;
  std::vector<Band> bands;  // the spans, row after row, in blocks of rows
  std::vector<Row> rows;    // into `bands`, whose blocks never move once filled
};

// Calls `owner(begin, end, region, underLines)` for the pixels of row `y`
// left to right, a region run or a span under the lines at a time.
template <typename Owner>
void ForEachOwner(const RegionRuns& map, const RegionSpans& spans, int64_t y, const Owner& owner) {
  const RegionSpans::Span* span = spans.rows[static_cast<size_t>(y)].begin;
  const auto gap = [&](int64_t x, int64_t end) {
    for (; x < end; x = span->end, ++span) owner(x, int64_t{span->end}, span->region, true);
  };
  int64_t x = 0;
  for (size_t i = map.rowStart[static_cast<size_t>(y)]; i < map.rowStart[static_cast<size_t>(y) + 1]; ++i) {
    const RegionRuns::Run& run = map.runs[i];
    gap(x, run.begin);
    owner(int64_t{run.begin}, int64_t{run.end}, run.region, false);
    x = run.end;
  }
  gap(x, map.width);
}

// Paints the first `colourPlanes` planes of `flats`, a page of the map's
// size: every pixel under the lines in its region's colour in `colours`,
// and the runs of the regions that `repaint` marks. Bands of rows are
// painted side by side.
void PaintRegions(const RegionRuns& map, const RegionSpans& spans, const std::vector<std::vector<uint8_t>>& colours,
                  const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes);
// The rows [firstRow, endRow) alone, on this thread.
void PaintRegions(const RegionRuns& map, const RegionSpans& spans, const std::vector<std::vector<uint8_t>>& colours,
                  const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes, int64_t firstRow,
                  int64_t endRow);
// The runs of the regions `repaint` marks alone, without a map under the
// lines, bands of rows side by side.
void PaintRegionRuns(const RegionRuns& map, const std::vector<std::vector<uint8_t>>& colours,
                     const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes);

}  // namespace tessel::flats
