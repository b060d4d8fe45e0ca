// Distinct flats in a page run: the filter's regions recoloured so that no
// neighbours share a colour, and the flats grown under the lines in them.
#pragma once

#include <cstdint>
#include <string>

#include "base/Descriptor.h"
#include "flats/RegionMask.h"
#include "io/ImageFile.h"
#include "pipeline/PageRun.h"

namespace tessel::pipeline {

struct DistinctSummary {
  bool palette = false;    // palette colours; else random ones
  size_t paletteSize = 0;  // swatches in the file
  size_t usable = 0;       // of those, the ones the filter may paint with
  size_t used = 0;         // distinct colours the recoloured regions show
  int64_t pairs = 0;       // neighbouring pairs
  int64_t clashes = 0;     // pairs still alike (palette: one colour; random: under ΔE 20)
};

// Recolours the regions `mask` holds in `result` (the filter's result,
// `colourPlanes` planes of colour) as the run's parameters `recorded` choose
// paint: a palette from `presetsFolder`'s swatches, or random colours (also
// when the palette gives no colour to paint with). Regions in the flag
// colour keep it; a region the filter joined takes the new colour of a
// neighbour that had its colour before (the first in the filter's order,
// preferring one not joined itself), or keeps its own when none had. Then
// every pixel outside the regions takes its nearest region's new colour, as
// FillUnderLines gives the old one: the nearest regions are searched for
// once, for both. Times the two steps as `distinct` and `underLines`.
DistinctSummary MakeDistinct(const flats::RegionMask& mask, io::ImageFile& result, int colourPlanes,
                             const base::Descriptor& recorded, const std::string& presetsFolder, PageTimings& timings);

// One line for the user: the colours used against the palette, and how many
// neighbouring pairs could not be kept apart.
std::string DescribeDistinct(const DistinctSummary& summary);

}  // namespace tessel::pipeline
