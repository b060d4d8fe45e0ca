#include "engine/PaintColor.h"

#include <algorithm>

bool FindPaintColor(const FillTest& test, int16_t imageMode, uint8_t (&color)[4]) {
  const int freeBytes = std::clamp(test.planes, 0, 3);
  uint8_t candidate[4] = {color[0], color[1], color[2], kNoBlackInk};
  const uint64_t colours = uint64_t{1} << (8 * freeBytes);
  for (uint64_t tried = 0; tried < colours; ++tried) {
    if (CanPaint(test, candidate, imageMode)) {
      std::copy(candidate, candidate + 4, color);
      return true;
    }
    // Next colour: the last free byte counts fastest, carrying leftwards.
    for (int k = freeBytes - 1; k >= 0 && ++candidate[k] == 0; --k) {
    }
  }
  return false;
}
