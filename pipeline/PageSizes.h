// Sizes given in millimetres, inches or points, turned into the pixels of
// each page at its resolution: the module still receives pixels, so that
// its parameters and the actions it records are those of any run.
#pragma once

#include <string>

#include "base/Descriptor.h"
#include "pipeline/PageRun.h"

namespace tessel::pipeline {

// What a page runs with once its sizes are in pixels.
struct PixelSizes {
  int closeGaps = 0;        // the widest gap to close; 0: none
  base::Descriptor replay;  // the run's, with the parameters' sizes put in
};

// Throws SettingsError (PageOptions.h) for a size whose unit does not fit
// what it measures: an area for the gap to close, and for a region size one
// of the other measure than the run's (a length measures a region by its
// extent, an area by its pixel count).
void RequireFittingUnits(const RunSettings& settings);

// Whether a page needs a resolution for `settings`' sizes.
bool NeedsResolution(const RunSettings& settings);

// The sizes of `page`, whose file gives `pixelsPerMillimetre` (0: none;
// --dpi stands instead). Throws SettingsError naming the page when a size
// needs a resolution the page lacks, or comes out of what it may be.
PixelSizes SizesFor(const RunSettings& settings, double pixelsPerMillimetre, const std::string& page);

}  // namespace tessel::pipeline
