// Which regions touch once the flats reach under the lines: two regions are
// neighbours when their areas in the nearest-region map (every pixel given
// to its region, or to its nearest region pixel's) are 4-adjacent. Those are
// the pairs a magic wand would melt into one selection if they shared a colour.
#pragma once

#include <cstdint>
#include <vector>

#include "flats/RegionRuns.h"
#include "flats/RegionMask.h"

namespace tessel::flats {

// For each region (by index in RegionRuns::regions) the indices of its
// neighbours, ascending, without itself.
using NeighbourLists = std::vector<std::vector<int32_t>>;

// Reads `map` (made from `mask`) and the nearest-region map a row at a time:
// memory beside the runs is a few rows and the pairs found. Throws
// std::invalid_argument when the two differ in size.
NeighbourLists FindNeighbours(const RegionMask& mask, const RegionRuns& map);

}  // namespace tessel::flats
