// Which regions touch once the flats reach under the lines: two regions are
// neighbours when their areas in the nearest-region map (every pixel given
// to its region, or to its nearest region pixel's) are 4-adjacent. Those are
// the pairs a magic wand would melt into one selection if they shared a colour.
#pragma once

#include <cstdint>
#include <vector>

#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"
#include "flats/RegionSpans.h"

namespace tessel::flats {

// For each region (by index in RegionRuns::regions) the indices of its
// neighbours, ascending, without itself.
using NeighbourLists = std::vector<std::vector<int32_t>>;

struct NearestRegions {
  NeighbourLists neighbours;
  RegionSpans spans;  // the map the neighbours were read from
};

// Reads `map` (made from `mask`) and the nearest-region map a row at a time,
// bands of rows side by side: memory beside the runs is the map's spans and
// the pairs found. Without `pairs`, the map alone is kept, and every list is
// empty. Throws std::invalid_argument when the two differ in size.
NearestRegions FindNeighbours(const RegionMask& mask, const RegionRuns& map, bool pairs = true);

}  // namespace tessel::flats
