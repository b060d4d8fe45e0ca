// The rule that decides which pixels belong to a region, the darkness rule
// that keeps paint colours clear of line art, and from both which colours may
// paint: the module paints by them and the host judges its palettes by them.
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

  // The range `tolerance` either side of `color` on the first `planes` (at
  // most 4) bytes, clamped to the bytes. `color` may be `low` itself.
  static void SetRange(const uint8_t* color, int64_t tolerance, int planes, uint8_t* low, uint8_t* high) {
    for (int k = 0; k < std::min(planes, 4); ++k) {
      const int64_t v = color[k];
      high[k] = static_cast<uint8_t>(std::min<int64_t>(v + tolerance, 255));
      low[k] = static_cast<uint8_t>(std::max<int64_t>(v - tolerance, 0));
    }
  }

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

  static bool IsTooDark(const uint8_t* color, int planes, int16_t imageMode) {
    if (imageMode == plugInModeCMYKColor) return color[3] < kLightestBlackInk;
    for (int k = 0; k < planes; ++k)
      if (color[k] > kDarkLevel) return false;
    return true;
  }
};

// Every chosen colour is painted with its fourth byte at 255: no black ink in CMYK.
constexpr uint8_t kNoBlackInk = 255;

// Whether the four bytes at `color` may paint a region. A paint colour must
// fail the fill test, or the fill would never end, and must not be dark
// enough to pass for line art; as painted (fourth byte 255) it must fail the
// fill test too.
inline bool CanPaint(const FillTest& test, const uint8_t* color, int16_t imageMode) {
  if (test.Passes(color, 1) || DarknessRule::IsTooDark(color, test.planes, imageMode)) return false;
  const uint8_t painted[4] = {color[0], color[1], color[2], kNoBlackInk};
  return !test.Passes(painted, 1);
}
