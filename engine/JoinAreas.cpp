// Small-area joining: each listed region takes the colour of the nearest pixel
// around its seed that could itself have been a paint colour.
#include <algorithm>
#include <iterator>

#include "engine/PixelDistance.h"
#include "engine/PixelGeometry.h"
#include "plugin/Tessel.h"

namespace {

// A pixel worth taking the colour of: not pure black, and not within the fill
// range (during the pass: not still in the flag colour).
bool IsJoinCandidate(const CTessel& filter, const uint8_t* pixel, int64_t planeBytes) {
  bool lit = false;
  bool outsideFill = false;
  for (int k = 0; k < filter.mPlanes; ++k, pixel += planeBytes) {
    lit |= *pixel != 0;
    outsideFill |= *pixel < filter.mFillLow[k] || *pixel > filter.mFillHigh[k];
  }
  return lit && outsideFill;
}

// Puts the colour of `pixel` into the paint colour; true when it may paint.
bool TakeColor(CTessel& filter, const uint8_t* pixel, int64_t planeBytes) {
  if (!IsJoinCandidate(filter, pixel, planeBytes)) return false;
  for (int k = 0; k < 4; ++k)
    if (k < filter.mPlanes) filter.mPaintColor[k] = pixel[k * planeBytes];
  return filter.ValidatePaintColor(false);
}

// Whether any pixel of the image could lend its colour. When none can, every
// search would fail, and only after growing rings past the whole image; the
// pass paints only with colours it found, so none ever appears.
bool AnySource(CTessel& filter, const PixelGeometry& image) {
  uint8_t paintColor[4];
  std::copy(std::begin(filter.mPaintColor), std::end(filter.mPaintColor), paintColor);
  bool found = false;
  for (int64_t y = image.bounds.top; y < image.bounds.bottom && !found; ++y)
    for (int64_t x = image.bounds.left; x < image.bounds.right && !found; ++x)
      found = TakeColor(filter, image.At(x, y), image.planeBytes);
  std::copy(std::begin(paintColor), std::end(paintColor), filter.mPaintColor);
  return found;
}

}  // namespace

void CTessel::DoJoinAreas(CTesselParams& params) { DoJoinAreas(params, CPixelDistance::kMaxLevels); }

void CTessel::DoJoinAreas(CTesselParams& params, uint16_t ringLimit) {
  SetFillColor(params.flagColor, 0);
  mPaintAA = false;
  const PixelGeometry image = PixelGeometry::FromOutput(*mFilterRecord);
  // Without a buffer, or without any pixel that could lend its colour, every
  // search would fail, and only after growing rings across the whole image.
  if (mJoinList.empty() || !image.data || !AnySource(*this, image)) return;

  CPixelDistance rings(ringLimit);
  const VRect& area = image.bounds;
  for (const JoinPoint& seed : mJoinList) {
    const int64_t sx = seed.x;
    const int64_t sy = seed.y;
    if (!image.Contains(sx, sy)) continue;
    // The image seen from the seed, so that the generator itself passes over
    // every displacement that leaves it.
    rings.mBounds = {static_cast<int32_t>(area.top - sy), static_cast<int32_t>(area.left - sx),
                     static_cast<int32_t>(area.bottom - 1 - sy), static_cast<int32_t>(area.right - 1 - sx)};
    int dx = 0, dy = 0;
    for (bool more = rings.GetFirstXY(dx, dy, 0); more; more = rings.GetNextXY(dx, dy)) {
      if (TakeColor(*this, image.At(sx + dx, sy + dy), image.planeBytes)) {
        FloodFill(static_cast<uint32_t>(sx), static_cast<uint32_t>(sy));
        break;
      }
    }
  }
}
