// The nearest-region map as spans of rows: each row cut, left to right, into
// spans of one region's pixels, its own or the pixels under the lines that
// are nearest to it. Kept from the search for neighbours, so that the flats
// are painted under the lines without a second search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace tessel::flats {

class RegionSpans {
 public:
  struct Span {
    int32_t end;     // columns from the span before (or 0) up to this
    int32_t region;  // its region, or ~region for pixels outside the regions given to it
  };
  // The spans of rows [firstRow, ...) in turn; rowEnds[i]: where the spans of
  // row firstRow + i end in `spans`.
  struct Band {
    int64_t firstRow = 0;
    std::vector<Span> spans;
    std::vector<size_t> rowEnds;
  };

  explicit RegionSpans(int64_t height = 0) : mRows(static_cast<size_t>(height)) {}

  // Takes a band's rows, one band at a time.
  void Add(Band band);
  // Row y's spans, left to right.
  std::pair<const Span*, const Span*> Row(int64_t y) const { return mRows[static_cast<size_t>(y)]; }
  int64_t height() const { return static_cast<int64_t>(mRows.size()); }

 private:
  std::vector<Band> mBands;  // moved, a band's spans stay where they are
  std::vector<std::pair<const Span*, const Span*>> mRows;
};

}  // namespace tessel::flats
