// The layers a colourist works with, made from the filter's result: flats
// with colour under the line art, and the page multiplied over them.
#pragma once

#include "base/ImageBuffer.h"
#include "base/Multiply.h"
#include "flats/RegionMask.h"

namespace tessel::flats {

// Turns the filter's result into flats in place: every pixel outside the
// regions takes the first `colourPlanes` planes of its nearest region pixel
// (see NearestRegion.h); region pixels and any further plane (transparency)
// are left as they are. Returns false, changing nothing, when the mask holds
// no region. Throws std::invalid_argument for a mask of another size or
// `colourPlanes` outside 1 to flats.planes().
bool FillUnderLines(const RegionMask& mask, base::ImageBuffer& flats, int colourPlanes);
// The rows [firstRow, endRow) alone, as the whole page's fill leaves them, so
// that a writer can take the rows above as they are done. The mask must
// hold a region pixel.
void FillUnderLines(const RegionMask& mask, base::ImageBuffer& flats, int colourPlanes, int64_t firstRow,
                    int64_t endRow);

// The page in Multiply mode over the flats, in place of the flats: each of
// the first `colourPlanes` planes becomes round(page * flats / 255); further
// planes (transparency) keep the flats' values. Right for bytes where 255 is
// paper white: grey, RGB, and CMYK in the editor's convention (255 = no ink),
// where it multiplies what light each ink lets through, so ink adds up.
// Meaningless for Lab. Throws std::invalid_argument as FillUnderLines.
void MultiplyOver(const base::ImageBuffer& page, base::ImageBuffer& flats, int colourPlanes);
// The rows [firstRow, endRow) alone, written to `out` (of the same size;
// it may be `page` or `flats`), so that the flats can stay whole while rows
// merged from them are written out.
void MultiplyOver(const base::ImageBuffer& page, const base::ImageBuffer& flats, base::ImageBuffer& out,
                  int colourPlanes, int64_t firstRow, int64_t endRow);

}  // namespace tessel::flats
