// The regions of a page in new colours, where they differ from the filter's:
// their own pixels repainted run by run, so that the flats then grow under
// the lines from them as from the filter's colours; or painted band by band
// together with the lines, from the nearest-region map there.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ImageBuffer.h"
#include "flats/LineSpans.h"
#include "flats/RegionRuns.h"

namespace tessel::flats {

// Paints the first `colourPlanes` planes of the runs of the regions that
// `repaint` marks in their colours in `colours`, on `flats`, a page of the
// map's size; bands of rows side by side.
void PaintRegionRuns(const RegionRuns& map, const std::vector<std::vector<uint8_t>>& colours,
                     const std::vector<bool>& repaint, base::ImageBuffer& flats, int colourPlanes);

// The flats of rows [firstRow, endRow) from the nearest-region map: the
// runs of the regions `repaint` marks, and every span under the lines, in
// their regions' colours (a region's own colour where it keeps it).
void PaintRegionsAndLines(const RegionRuns& map, const LineSpans& lines,
                          const std::vector<std::vector<uint8_t>>& colours, const std::vector<bool>& repaint,
                          base::ImageBuffer& flats, int colourPlanes, int64_t firstRow, int64_t endRow);

}  // namespace tessel::flats
