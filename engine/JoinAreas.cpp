// Small-area joining: each listed region takes the colour of the nearest pixel
// around its seed that could itself have been a paint colour.
#include <algorithm>
#include <iterator>
#include <optional>

#include "engine/JoinSearch.h"
#include "engine/JoinSources.h"
#include "engine/PixelDistance.h"
#include "engine/PixelGeometry.h"
#include "engine/PixelRegion.h"
#include "engine/TesselFill.h"
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

// Whether a pixel could lend its colour, as TakeColor judges it but leaving the
// paint colour alone. Pages are mostly long runs of one colour, so the answer
// for the last colour is kept.
class SourceTest {
 public:
  SourceTest(CTessel& filter, int64_t planeBytes)
      : mFilter(filter), mPlanes(std::min<int>(filter.mPlanes, 4)), mPlaneBytes(planeBytes) {}

  bool operator()(const uint8_t* pixel) {
    uint32_t colour = pixel[0];
    if (mPlanes > 1) colour |= uint32_t{pixel[mPlaneBytes]} << 8;
    if (mPlanes > 2) colour |= uint32_t{pixel[2 * mPlaneBytes]} << 16;
    if (mPlanes > 3) colour |= uint32_t{pixel[3 * mPlaneBytes]} << 24;
    if (mKnown && colour == mColour) return mIsSource;
    uint8_t paintColor[4];
    std::copy(std::begin(mFilter.mPaintColor), std::end(mFilter.mPaintColor), paintColor);
    mIsSource = TakeColor(mFilter, pixel, mPlaneBytes);
    std::copy(std::begin(paintColor), std::end(paintColor), mFilter.mPaintColor);
    mColour = colour;
    mKnown = true;
    return mIsSource;
  }

 private:
  CTessel& mFilter;
  int mPlanes;
  int64_t mPlaneBytes;
  bool mKnown = false;
  uint32_t mColour = 0;
  bool mIsSource = false;
};

// Whether any pixel of the image could lend its colour.
bool AnySource(CTessel& filter, const PixelGeometry& image) {
  SourceTest isSource(filter, image.planeBytes);
  for (int64_t y = image.bounds.top; y < image.bounds.bottom; ++y)
    for (int64_t x = image.bounds.left; x < image.bounds.right; ++x)
      if (isSource(image.At(x, y))) return true;
  return false;
}

// The image's sources, mapped the first time a seed looks past its near
// surroundings and kept up to date as regions take colours. A region's fill
// only ever turns flag-coloured pixels into sources.
class ImageSources {
 public:
  ImageSources(CTessel& filter, const PixelGeometry& image) : mImage(image), mTest(filter, image.planeBytes) {}

  uint64_t NearestSquare(int64_t x, int64_t y) {
    if (!mMap) mMap.emplace(Width(), Height(), [this](int64_t mx, int64_t my) { return IsSource(mx, my); });
    return mMap->NearestSquare(x - mImage.bounds.left, y - mImage.bounds.top);
  }

  void Painted(const PaintedArea& area) {
    if (!mMap || area.count == 0) return;
    for (int64_t y = area.minY; y <= area.maxY; ++y)
      for (int64_t x = area.minX; x <= area.maxX; ++x) {
        const int64_t mx = x - mImage.bounds.left, my = y - mImage.bounds.top;
        if (!mMap->Has(mx, my) && IsSource(mx, my)) mMap->Add(mx, my);
      }
  }

 private:
  int64_t Width() const { return int64_t{mImage.bounds.right} - mImage.bounds.left; }
  int64_t Height() const { return int64_t{mImage.bounds.bottom} - mImage.bounds.top; }
  bool IsSource(int64_t mx, int64_t my) { return mTest(mImage.At(mx + mImage.bounds.left, my + mImage.bounds.top)); }

  const PixelGeometry& mImage;
  SourceTest mTest;
  std::optional<JoinSources> mMap;
};

// Fills the region at (x, y) and returns what this fill painted; the area
// counters go on as the fill alone would have moved them.
PaintedArea FillMeasured(CTessel& filter, uint32_t x, uint32_t y) {
  const PaintedArea before = CurrentArea(filter);
  KeepArea(filter, PaintedArea{0, x, y, x, y});
  filter.FloodFill(x, y);
  const PaintedArea painted = CurrentArea(filter);
  KeepArea(filter, painted.count == 0
                       ? before
                       : PaintedArea{before.count + painted.count, std::min(before.minX, painted.minX),
                                     std::min(before.minY, painted.minY), std::max(before.maxX, painted.maxX),
                                     std::max(before.maxY, painted.maxY)});
  return painted;
}

}  // namespace

void CTessel::DoJoinAreas(CTesselParams& params) { DoJoinAreas(params, CPixelDistance::kMaxLevels); }

void CTessel::DoJoinAreas(CTesselParams& params, uint16_t ringLimit) {
  SetFillColor(params.flagColor, 0);
  mPaintAA = false;
  const PixelGeometry image = PixelGeometry::FromOutput(*mFilterRecord);
  // Without a buffer, or without any pixel that could lend its colour, every
  // search would fail, and only after its rings had left the image.
  if (mJoinList.empty() || !image.data || !AnySource(*this, image)) return;

  CPixelDistance rings(ringLimit);
  ImageSources sources(*this, image);
  const VRect& area = image.bounds;
  for (const JoinPoint& seed : mJoinList) {
    const int64_t sx = seed.x;
    const int64_t sy = seed.y;
    if (!image.Contains(sx, sy)) continue;
    // The image seen from the seed, so that the generator itself passes over
    // every displacement that leaves it.
    rings.mBounds = {static_cast<int32_t>(area.top - sy), static_cast<int32_t>(area.left - sx),
                     static_cast<int32_t>(area.bottom - 1 - sy), static_cast<int32_t>(area.right - 1 - sx)};
    const auto accepts = [&](int dx, int dy) { return TakeColor(*this, image.At(sx + dx, sy + dy), image.planeBytes); };
    const auto nearest = [&] { return sources.NearestSquare(sx, sy); };
    int dx = 0, dy = 0;
    if (FindJoinSource(rings, accepts, nearest, dx, dy))
      sources.Painted(FillMeasured(*this, static_cast<uint32_t>(sx), static_cast<uint32_t>(sy)));
  }
}
