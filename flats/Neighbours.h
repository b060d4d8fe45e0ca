// Which regions touch once the flats reach under the lines: two regions are
// neighbours when their areas in the nearest-region map (every pixel given
// to its region, or to its nearest region pixel's) are 4-adjacent. Those are
// the pairs a magic wand would melt into one selection if they shared a colour.
#pragma once

#include <cstdint>
#include <vector>

#include "flats/LineSpans.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"

namespace tessel::flats {

// For each region (by index in RegionRuns::regions) the indices of its
// neighbours, ascending, without itself: in one block, as a page holds
// hundreds of thousands of lists of a few each.
class NeighbourLists {
 public:
  struct List {
    const int32_t* first;
    const int32_t* last;
    const int32_t* begin() const { return first; }
    const int32_t* end() const { return last; }
    size_t size() const { return static_cast<size_t>(last - first); }
  };

  NeighbourLists() = default;
  // The lists of `count` regions from touching pairs, each packed low-high
  // into one word (the lower index in the upper half), in any order and
  // maybe repeated; `pairs` is left sorted, each pair once.
  NeighbourLists(std::vector<uint64_t>& pairs, size_t count);

  size_t size() const { return mStart.empty() ? 0 : mStart.size() - 1; }
  List operator[](size_t i) const { return {mIds.data() + mStart[i], mIds.data() + mStart[i + 1]}; }
  size_t pairs() const { return mIds.size() / 2; }

 private:
  std::vector<size_t> mStart;  // region i's list is mIds[mStart[i], mStart[i + 1])
  std::vector<int32_t> mIds;
};

// Two touching regions as NeighbourLists takes them.
inline uint64_t PackPair(int32_t a, int32_t b) {
  const auto low = static_cast<uint32_t>(a < b ? a : b), high = static_cast<uint32_t>(a < b ? b : a);
  return uint64_t{low} << 32 | high;
}

// Reads the map under the lines with the runs of `map`, labelled, for the
// pairs, a band of rows a core; `lines`, as FindLineSpans left it, names
// regions after. Throws std::invalid_argument when it is another page's.
NeighbourLists FindNeighbours(const RegionRuns& map, LineSpans& lines);

// The same from `map` (made from `mask`, labelled) alone: memory beside the
// runs is the map under the lines, 8 bytes a span, kept in `lines` when
// asked for, and the pairs found. Throws std::invalid_argument when the
// mask and the map differ in size.
NeighbourLists FindNeighbours(const RegionMask& mask, const RegionRuns& map, LineSpans* lines = nullptr);

}  // namespace tessel::flats
