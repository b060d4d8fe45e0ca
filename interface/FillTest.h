// The rule that decides which pixels belong to a region, and the darkness
// rule that keeps paint colours clear of line art.
#pragma once

#include <algorithm>
#include <cstdint>

#include "interface/PhotoshopHost.h"

struct FillTest {
  // Near white: every channel above this passes the anti-aliased test.
  static constexpr uint8_t kNearWhite = 250;
  // Neutral greys pass only above this level; darker greys are line art.
  static constexpr uint8_t kDarkestGrey = 16;
  // How far apart a grey's channels may be.
  static constexpr uint8_t kGreySpread = 1;

  int planes;  // 1..4 channels tested
  bool antiAliased;
  uint8_t low[4];
  uint8_t high[4];

  bool operator==(const FillTest& other) const {
    return planes == other.planes && antiAliased == other.antiAliased &&
           std::equal(low, low + 4, other.low) && std::equal(high, high + 4, other.high);
  }

  // Whether the pixel whose plane 0 is at `c` (plane k at k * planeStep) passes.
  bool Passes(const uint8_t* c, int64_t planeStep) const {
    if (antiAliased) {
      uint8_t lo = c[0], hi = c[0];
      for (int k = 1; k < planes; ++k) {
        lo = std::min(lo, c[k * planeStep]);
        hi = std::max(hi, c[k * planeStep]);
      }
      return lo > kNearWhite || (hi > kDarkestGrey && hi - lo <= kGreySpread);
    }
    for (int k = 0; k < planes; ++k) {
      const uint8_t v = c[k * planeStep];
      if (v < low[k] || v > high[k]) return false;
    }
    return true;
  }
};

// Paint colours this dark would pass for the lines that bound the regions.
struct DarknessRule {
  static constexpr uint8_t kDarkLevel = 90;
  // CMYK bytes count ink downwards: a black byte below this is heavy ink.
  static constexpr uint8_t kLightestBlackInk = 200;

  static bool IsTooDark(const uint8_t (&color)[4], int planes, int16_t imageMode) {
    if (imageMode == plugInModeCMYKColor) return color[3] < kLightestBlackInk;
    for (int k = 0; k < planes; ++k)
      if (color[k] > kDarkLevel) return false;
    return true;
  }
};
