#include "engine/PixelDistance.h"

#include <algorithm>

namespace {

// A search that meets this many displacements in a row outside its bounds has
// left the rectangle behind.
constexpr int kAttemptsOutside = 8;

}  // namespace

CPixelDistance::CPixelDistance(uint16_t maxLevels)
    : mMaxLevels(std::clamp(maxLevels, kInitialLevels, kMaxLevels)),
      mLevels(0),
      mMaxSquare(0),
      mDisplacements(&mRingStore),
      mCurrent(mDisplacements.end()) {
  for (int i = 0; i < kInitialLevels; ++i) AddLevel();
}

// The order among equal distances comes from where each insertion lands
// relative to its hint: a ring starts at mCurrent (the end while the
// constructor runs) and each later displacement is hinted at the one before.
// That puts a larger ring before a smaller one at the same distance, except
// for the constructor's axis displacements at 25 and 100.
void CPixelDistance::AddLevel() {
  if (mLevels >= mMaxLevels) return;
  const int16_t n = static_cast<int16_t>(++mLevels);
  mMaxSquare = static_cast<uint64_t>(n) * n;
  auto hint = mCurrent;
  uint64_t key = 0;
  auto insert = [&](int x, int y) {
    hint = mDisplacements.emplace_hint(hint, key, Displacement{static_cast<int16_t>(x), static_cast<int16_t>(y)});
  };
  for (int d = 0; d <= n; ++d) {
    key = mMaxSquare + static_cast<uint64_t>(d) * d;
    const bool between = d > 0 && d < n;
    if (between) insert(-d, n);
    insert(-n, d);
    if (between) insert(-n, -d);
    insert(-d, -n);
    if (between) insert(d, -n);
    insert(n, -d);
    if (between) insert(n, d);
    insert(d, n);
  }
}

bool CPixelDistance::GetFirstXY(int& x, int& y, unsigned radius) {
  if (radius > mMaxSquare) return false;
  // Ring `radius` holds (0, radius), so its squared distance is a key; beyond
  // the rings made so far the entries are incomplete, so start nearest.
  mCurrent = radius > 0 && radius <= mLevels ? mDisplacements.lower_bound(static_cast<uint64_t>(radius) * radius)
                                             : mDisplacements.begin();
  return GetNextXY(x, y);
}

bool CPixelDistance::GetNextXY(int& x, int& y) {
  // A search that never started begins at the nearest displacements.
  if (mCurrent == mDisplacements.end()) mCurrent = mDisplacements.begin();
  for (int attempt = 0; attempt < kAttemptsOutside; ++attempt) {
    // Entries beyond mMaxSquare may still miss displacements of the next ring.
    if (mCurrent->first > mMaxSquare) {
      const uint64_t complete = mMaxSquare;
      AddLevel();
      if (mMaxSquare == complete) return false;
      mCurrent = mDisplacements.upper_bound(complete);
    }
    x = mCurrent->second.x;
    y = mCurrent->second.y;
    ++mCurrent;
    if (y >= mBounds.top && y <= mBounds.bottom && x >= mBounds.left && x <= mBounds.right) return true;
  }
  return false;
}
