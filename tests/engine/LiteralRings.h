// The ring generator as first defined, kept as the reference for the one the
// engine uses: every ring stored in one ordered multimap, each displacement
// inserted with a position hint, so that the order among equal distances is
// the one the hints give.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include "engine/PixelDistance.h"

namespace tessel::testing {

class LiteralRings {
 public:
  explicit LiteralRings(uint16_t maxLevels) : mMaxLevels(std::max<uint16_t>(maxLevels, 10)) {
    for (int i = 0; i < 10; ++i) AddLevel();
  }

  void AddLevel() {
    if (mLevels >= mMaxLevels) return;
    const int n = ++mLevels;
    mMaxSquare = static_cast<uint64_t>(n) * n;
    auto hint = mCurrent;
    for (int d = 0; d <= n; ++d) {
      const uint64_t key = mMaxSquare + static_cast<uint64_t>(d) * d;
      const bool between = d > 0 && d < n;
      const std::pair<int, int> ring[] = {{-d, n}, {-n, d}, {-n, -d}, {-d, -n}, {d, -n}, {n, -d}, {n, d}, {d, n}};
      for (int i = 0; i < 8; ++i)
        if (between || i % 2 == 1) hint = mDisplacements.emplace_hint(hint, key, ring[i]);
    }
  }

  bool GetFirstXY(int& x, int& y, unsigned radius) {
    if (radius > mMaxSquare) return false;
    mCurrent = radius > 0 && radius <= mLevels ? mDisplacements.lower_bound(static_cast<uint64_t>(radius) * radius)
                                               : mDisplacements.begin();
    return GetNextXY(x, y);
  }

  bool GetNextXY(int& x, int& y) {
    if (mCurrent == mDisplacements.end()) mCurrent = mDisplacements.begin();
    for (int attempt = 0; attempt < 8; ++attempt) {
      if (mCurrent->first > mMaxSquare) {
        const uint64_t complete = mMaxSquare;
        AddLevel();
        if (mMaxSquare == complete) return false;
        mCurrent = mDisplacements.upper_bound(complete);
      }
      x = mCurrent->second.first;
      y = mCurrent->second.second;
      ++mCurrent;
      if (y >= mBounds.top && y <= mBounds.bottom && x >= mBounds.left && x <= mBounds.right) return true;
    }
    return false;
  }

  CPixelDistance::Bounds mBounds{0, 0, 0, 0};

 private:
  uint16_t mMaxLevels;
  uint16_t mLevels = 0;
  uint64_t mMaxSquare = 0;
  std::multimap<uint64_t, std::pair<int, int>> mDisplacements;
  std::multimap<uint64_t, std::pair<int, int>>::iterator mCurrent = mDisplacements.end();
};

}  // namespace tessel::testing
