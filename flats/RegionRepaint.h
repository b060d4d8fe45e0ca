// The regions of a page in new colours, where they differ from the filter's:
// their own pixels repainted run by run, so that the flats then grow under
// the lines from them as from the filter's colours.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ImageBuffer.h"
#include "flats/RegionRuns.h"

namespace tessel::flats {

// Paints the first `colourPlanes` planes of the runs of the regions that
// `repaint` marks in their colours in `colours`, on `flats`, a page of the
// map's size; bands of rows side by side.
void PaintRegionRuns(const RegionRuns& map, const std::vector<std::vector<uint8_t>>& colours,
                     const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes);

}  // namespace tessel::flats
