#include <algorithm>

#include "engine/FastFill.h"
#include "engine/TesselFill.h"

void KeepArea(CTessel& filter, const PaintedArea& area) {
  filter.mAreaCount = area.count;
  filter.mMinX = area.minX;
  filter.mMinY = area.minY;
  filter.mMaxX = area.maxX;
  filter.mMaxY = area.maxY;
}

PaintedArea CurrentArea(const CTessel& filter) {
  return PaintedArea{filter.mAreaCount, filter.mMinX, filter.mMinY, filter.mMaxX, filter.mMaxY};
}

PixelGeometry OutputGeometry(const CTessel& filter) {
  if (filter.mFilterRecord) return PixelGeometry::FromOutput(*filter.mFilterRecord);
  return PixelGeometry{nullptr, 0, 0, 0, VRect{0, 0, 0, 0}};
}

PixelRegion CurrentRegion(const CTessel& filter) {
  const PixelGeometry geometry = OutputGeometry(filter);
  const FillTest test = CurrentFillTest(filter);
  const DispatchedBlocks blocks{ChooseBlockMask(test, geometry.columnBytes, geometry.planeBytes, false)};
  return PixelRegion(geometry, test, filter.mPaintColor, CurrentArea(filter), blocks);
}

bool CTessel::FillFunc(int64_t x, int64_t y) {
  if (!sTesselFilter) return false;
  PixelRegion region = CurrentRegion(*sTesselFilter);
  const bool painted = region.Take(x, y);
  if (painted) KeepArea(*sTesselFilter, region.area());
  return painted;
}

void CTessel::FloodFill(uint32_t x, uint32_t y, bool firstOfRegion) {
  // Pixels painted in a colour that still passes the test would be met again
  // and again: such a fill never ends, so it does not start.
  const FillTest test = CurrentFillTest(*this);
  if (test.Passes(mPaintColor, 1)) return;
  KeepArea(*this, FloodRegion(OutputGeometry(*this), test, mPaintColor, CurrentArea(*this), x, y, mPendingSegments,
                              firstOfRegion));
}
