// The nearest region pixel of every pixel outside the regions, by exact
// Euclidean distance. Ties go to the nearest pixel in the leftmost column,
// then to the upper one: among the region pixels (x', y') nearest to (x, y),
// the one with the smallest x', then the smallest y'.
#pragma once

#include <cstdint>
#include <functional>

#include "base/ImageBuffer.h"
#include "flats/RegionMask.h"

namespace tessel::flats {

// Called once for each row holding pixels outside the regions, top to
// bottom. For each such pixel x of row y, (fromX[x], fromY[x]) is its
// nearest region pixel; entries at region pixels are meaningless.
using NearestRowVisitor = std::function<void(int64_t y, const int32_t* fromX, const int32_t* fromY)>;

// Visits the rows; returns false, visiting none, when the mask holds no
// region pixel. Memory beside the mask: a few words per column.
bool VisitNearestRegionPixels(const RegionMask& mask, const NearestRowVisitor& visit);

// The rows [firstRow, endRow) alone, as the whole page's visit would see
// them, so that bands of rows can be visited side by side. The mask must
// hold a region pixel.
void VisitNearestRegionPixels(const RegionMask& mask, const NearestRowVisitor& visit, int64_t firstRow,
                              int64_t endRow);

// The nearest region pixels of the pixels [a, b] of row `y`, a whole run of
// pixels outside the regions in that row, into fromX[x], fromY[x] for each
// x of the run: as the page's visit gives them, searched for afresh, for a
// few runs of a page.
void NearestInRun(const RegionMask& mask, int64_t y, int64_t a, int64_t b, int32_t* fromX, int32_t* fromY);

}  // namespace tessel::flats
