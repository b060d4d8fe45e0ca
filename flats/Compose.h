// The layers a colourist works with, made from the filter's result: flats
// with colour under the line art, and the page multiplied over them.
#pragma once

#include "flats/RegionMask.h"
#include "host/ImageBuffer.h"

namespace tessel::flats {

// Turns the filter's result into flats in place: every pixel outside the
// regions takes the first `colourPlanes` planes of its nearest region pixel
// (see NearestRegion.h); region pixels and any further plane (transparency)
// are left as they are. Returns false, changing nothing, when the mask holds
// no region. Throws std::invalid_argument for a mask of another size or
// `colourPlanes` outside 1 to flats.planes().
bool FillUnderLines(const RegionMask& mask, host::ImageBuffer& flats, int colourPlanes);

// The page in Multiply mode over the flats, in place of the flats: each of
// the first `colourPlanes` planes becomes round(page * flats / 255); further
// planes (transparency) keep the flats' values. Right for bytes where 255 is
// paper white: grey, RGB, and CMYK in the editor's convention (255 = no ink),
// where it multiplies what light each ink lets through, so ink adds up.
// Meaningless for Lab. Throws std::invalid_argument as FillUnderLines.
void MultiplyOver(const host::ImageBuffer& page, host::ImageBuffer& flats, int colourPlanes);

}  // namespace tessel::flats
