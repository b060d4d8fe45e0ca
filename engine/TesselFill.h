// The filter's fill state as the fill engine sees it.
#pragma once

#include <algorithm>

#include "engine/PixelRegion.h"
#include "interface/FillTest.h"
#include "plugin/Tessel.h"

// The fill test now in force: anti-aliased or the fill range, on mPlanes
// planes (at most 4). Asked for several times a region: kept inline.
inline FillTest CurrentFillTest(const CTessel& filter) {
  FillTest test;
  test.planes = std::min<int>(filter.mPlanes, 4);
  test.antiAliased = filter.mPaintAA;
  std::copy(filter.mFillLow, filter.mFillLow + 4, test.low);
  std::copy(filter.mFillHigh, filter.mFillHigh + 4, test.high);
  return test;
}

// The area counters (pixel count and bounding box of what was painted since
// they were last reset), and setting them.
PaintedArea CurrentArea(const CTessel& filter);
void KeepArea(CTessel& filter, const PaintedArea& area);

// Where the host's output buffer lies; no data without a filter record.
PixelGeometry OutputGeometry(const CTessel& filter);

// The region the next pixel-by-pixel fill paints: the host's output buffer,
// the current fill test and paint colour, and the area counters as they stand.
PixelRegion CurrentRegion(const CTessel& filter);

// The host's image mode, 0 (bitmap) without a filter record.
inline int16_t ImageMode(const CTessel& filter) {
  return filter.mFilterRecord ? filter.mFilterRecord->imageMode : 0;
}
