// The scan: every pixel that passes the fill test seeds a region, which is
// painted in a colour of its own, measured, and by its size kept, flagged, or
// flagged and listed for joining.
#include <algorithm>

#include "engine/FastFill.h"
#include "engine/PaintColor.h"
#include "engine/TesselFill.h"

namespace {

// How far below the scan its rows are fetched. Most regions seeded on a row
// end within this many rows, so their fills find the pixels in cache instead
// of waiting on memory for each new run.
constexpr int64_t kFetchAheadRows = 64;

// Whether the region just filled is no larger than `size`, by area or by extent.
bool IsSmall(const CTessel& filter, const CTesselParams& params, uint64_t size) {
  if (params.measureByArea) return filter.mAreaCount <= size;
  return static_cast<uint64_t>(filter.mMaxX - filter.mMinX) < size &&
         static_cast<uint64_t>(filter.mMaxY - filter.mMinY) < size;
}

// Whether any colour at all can paint under the run's fill test.
bool AnyPaintColor(const CTessel& filter) {
  uint8_t probe[4] = {0, 0, 0, 0};
  return FindPaintColor(CurrentFillTest(filter), ImageMode(filter), probe);
}

void RestoreFillTest(CTessel& filter, CTesselParams& params) {
  filter.SetFillColor(params.fillColor, params.tolerance);
  filter.mPaintAA = params.paintAntiAliased != 0;
}

// Repaints the region at (x, y), now in mPaintColor, in the flag colour. For
// that one fill the test passes exactly the region's paint colour.
void RepaintInFlagColor(CTessel& filter, CTesselParams& params, uint32_t x, uint32_t y) {
  std::copy(filter.mPaintColor, filter.mPaintColor + 4, filter.mFillLow);
  std::copy(filter.mPaintColor, filter.mPaintColor + 4, filter.mFillHigh);
  filter.mPaintAA = false;
  filter.ConvertColor(params.flagColor, filter.mPaintColor);
  if (filter.ValidatePaintColor(false)) filter.FloodFill(x, y);
  RestoreFillTest(filter, params);
}

// Paints, measures and sorts the region seeded at (x, y). False when no
// usable colour could be chosen (a host whose conversions changed mid-run).
// `firstOfRegion`: the scan has seen every pixel the fill could reach before
// (x, y), so (x, y) is its region's first.
bool FillRegion(CTessel& filter, CTesselParams& params, uint32_t x, uint32_t y, bool firstOfRegion) {
  filter.NextColor();
  if (!CanPaint(CurrentFillTest(filter), filter.mPaintColor, ImageMode(filter))) return false;
  filter.mAreaCount = 0;
  filter.mMinX = filter.mMaxX = x;
  filter.mMinY = filter.mMaxY = y;
  filter.FloodFill(x, y, firstOfRegion);
  const bool join = params.joinAreas && IsSmall(filter, params, params.joinSize);
  if (join) filter.AddJoinArea(x, y);
  if (join || (params.flagAreas && IsSmall(filter, params, params.flagSize)))
    RepaintInFlagColor(filter, params, x, y);
  return true;
}

}  // namespace

void CTessel::AddJoinArea(uint32_t x, uint32_t y) { mJoinList.push_back(JoinPoint{x, y}); }

int16_t CTessel::ScanImage(CTesselParams& params, bool& found) {
  found = false;
  if (!mFilterRecord) return noErr;
  FilterRecord& record = *mFilterRecord;
  const int32_t rows = record.outRect.bottom;
  if (rows <= 0) return noErr;
  const int64_t first = std::max<int64_t>(record.outRect.left, 0);
  const int64_t last = int64_t{record.outRect.right} - 1;
  // Before any choice: the colour of a run starts without black ink.
  mPaintColor[3] = 255;
  bool paintable = false;
  // The scan starts at column and row 0 at the least: a rectangle reaching
  // further holds pixels a fill could reach that the scan never saw.
  const bool wholeRectangle = record.outRect.left >= 0 && record.outRect.top >= 0;
  const PixelGeometry geometry = OutputGeometry(*this);
  SeedSearch seeds(geometry, CurrentFillTest(*this));
  for (int64_t y = std::max<int32_t>(record.outRect.top, 0); y < rows; ++y) {
    geometry.Prefetch(first, last, y + kFetchAheadRows);
    for (int64_t x = first; x <= last; ++x) {
      // Flagging a region leaves the run's own test in force, which need not
      // be the one the scan began with.
      x = seeds.Find(CurrentFillTest(*this), x, last, y);
      if (x > last) break;
      // Decided before the first pixel is painted, so a page no colour can
      // fill is left exactly as it was.
      if (!paintable && !(paintable = AnyPaintColor(*this))) return filterBadParameters;
      if (!FillRegion(*this, params, static_cast<uint32_t>(x), static_cast<uint32_t>(y), wholeRectangle))
        return filterBadParameters;
      found = true;
    }
    if (record.progressProc) record.progressProc(static_cast<int32_t>(y + 1), rows);
    if (record.abortProc && record.abortProc()) return userCanceledErr;
  }
  return noErr;
}
