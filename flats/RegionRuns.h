// The filter's regions as runs of their rows: the 4-connected components of
// the region mask, labelled a run at a time. On line art a row holds a few
// hundred runs against thousands of pixels, so this costs a fraction of a
// label per pixel, in time and memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ImageBuffer.h"
#include "flats/RegionMap.h"
#include "flats/RegionMask.h"

namespace tessel::flats {

struct RegionRuns {
  struct Run {
    // Left unset, so that a page's runs are first written, bands of rows
    // side by side, by the threads that fill them: fresh memory is slow to
    // come by, and costs whoever touches it first.
    Run() {}
    Run(int32_t begin, int32_t end, int32_t region) : begin(begin), end(end), region(region) {}
    int32_t begin, end;  // columns [begin, end)
    int32_t region;      // index in `regions`
  };
  int64_t width = 0;
  int64_t height = 0;
  std::vector<size_t> rowStart;  // row y's runs are [rowStart[y], rowStart[y + 1]), left to right
  std::vector<Run> runs;
  std::vector<Region> regions;  // in the filter's order: by first pixel in a row-major scan

  static constexpr size_t kNoRun = SIZE_MAX;
  // The run holding (x, y), or kNoRun outside every region. `hint`: a run
  // index to try first (the last answer, say); updated to the run found.
  // Rows [0, y] suffice: it answers before the rows below are found.
  size_t RunAt(int64_t x, int64_t y, size_t& hint) const;
  // The region holding (x, y), or -1 outside every region; `hint` as RunAt's.
  int32_t RegionAt(int64_t x, int64_t y, size_t& hint) const;
};

// Labels the regions of `mask`, each one's colour from the first
// `colourPlanes` planes of `after`, the result the mask was made from.
// Throws std::invalid_argument as MapRegions, std::length_error when a side
// or the count of runs exceeds 32-bit labels.
RegionRuns FindRegionRuns(const RegionMask& mask, const base::ImageBuffer& after, int colourPlanes);

// The same a band of rows at a time, as the mask's rows are found: the runs
// of rows [firstRow, endRow) of `mask` go into `map` (empty, or holding the
// rows above them), joined to the rows above but not yet labelled. Throws
// std::length_error as FindRegionRuns.
void AddRegionRuns(const RegionMask& mask, int64_t firstRow, int64_t endRow, RegionRuns& map);
// Labels the regions of `map`, which holds every row of `mask`, as
// FindRegionRuns does. Throws std::invalid_argument as FindRegionRuns.
void LabelRegionRuns(RegionRuns& map, const RegionMask& mask, const base::ImageBuffer& after, int colourPlanes);

}  // namespace tessel::flats
