// The pixels outside the regions (the lines) as spans of rows, each span
// given to one region: the nearest-region map there, where the regions'
// runs are the rest of it. Kept from the search for neighbours, so that the
// flats are painted under the lines without a second search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "flats/RegionRuns.h"

namespace tessel::flats {

class LineSpans {
 public:
  struct Span {
    int32_t end;     // columns from the run or span before it (or 0) up to this
    int32_t region;  // whose nearest pixels they are; as first found, the run holding them
  };
  // The spans of rows [firstRow, ...) in turn; rowEnds[i]: where the spans of
  // row firstRow + i end in `spans`.
  struct Band {
    int64_t firstRow = 0;
    std::vector<Span> spans;
    std::vector<size_t> rowEnds;
  };

  explicit LineSpans(int64_t height = 0) : mRows(static_cast<size_t>(height)) {}

  // Takes a band's rows, one band at a time.
  void Add(Band band);
  // Row y's spans, left to right.
  std::pair<const Span*, const Span*> Row(int64_t y) const { return mRows[static_cast<size_t>(y)]; }
  std::pair<Span*, Span*> Row(int64_t y) { return mRows[static_cast<size_t>(y)]; }
  // Row y's spans end at `end`, within them.
  void Shorten(int64_t y, Span* end) { mRows[static_cast<size_t>(y)].second = end; }
  int64_t height() const { return static_cast<int64_t>(mRows.size()); }

 private:
  std::vector<Band> mBands;  // moved, a band's spans stay where they are
  std::vector<std::pair<Span*, Span*>> mRows;
};

// Row y's runs of `map` and its spans in `lines`, left to right:
// `visit(begin, end, region, isRun)` for each.
template <typename Visit>
void ForEachSpanOfRow(const RegionRuns& map, const LineSpans& lines, int64_t y, const Visit& visit) {
  auto [span, last] = lines.Row(y);
  int64_t x = 0;
  const size_t firstRun = map.rowStart[static_cast<size_t>(y)], lastRun = map.rowStart[static_cast<size_t>(y) + 1];
  for (size_t i = firstRun; i <= lastRun; ++i) {
    // The spans under the lines up to the run, then the run.
    const int64_t gapEnd = i < lastRun ? map.runs[i].begin : map.width;
    for (; span != last && span->end <= gapEnd; x = span->end, ++span) visit(x, span->end, span->region, false);
    if (i == lastRun) break;
    const RegionRuns::Run& run = map.runs[i];
    visit(run.begin, run.end, run.region, true);
    x = run.end;
  }
}

}  // namespace tessel::flats
