// The filter's region over the host's output buffer: the pixels that pass the
// fill test, painted in place with the paint colour as the fill reaches them,
// with the painted area's pixel count and bounding box kept on the way.
// Runs are tested 16 pixels at a time and painted in bulk.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/BlockTest.h"
#include "engine/FillTest.h"
#include "engine/PixelGeometry.h"

// Pixel count and bounding box of what a fill painted.
struct PaintedArea {
  uint64_t count;
  int64_t minX, minY, maxX, maxY;
};

class PixelRegion {
 public:
  PixelRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4], PaintedArea area,
              bool vectorAllowed = true)
      : mGeometry(geometry),
        mTest(test),
        mArea(area),
        mBlockMask(ChooseBlockMask(test, geometry.columnBytes, geometry.planeBytes, vectorAllowed)) {
    std::copy(paint, paint + 4, mPaint);
  }

  const PaintedArea& area() const { return mArea; }

  bool Take(int64_t x, int64_t y) {
    if (!mGeometry.Contains(x, y) || !mGeometry.data) return false;
    uint8_t* pixel = mGeometry.At(x, y);
    if (!mTest.Passes(pixel, mGeometry.planeBytes)) return false;
    Paint(pixel, 1);
    Measure(x, x, y);
    return true;
  }

  int64_t ExtendLeft(int64_t x, int64_t y) {
    if (!RowHolds(y)) return x;
    const int64_t first = mGeometry.bounds.left;
    int64_t left = x;
    // Pixel `left` itself follows each block, so 16 pixels may be read.
    while (left - kBlockPixels >= first) {
      const uint32_t mask = BlockMask(left - kBlockPixels, y);
      if (mask == kFullBlock) {
        left -= kBlockPixels;
        continue;
      }
      // Passing pixels directly left of `left` are the top bits of the mask.
      const uint32_t failing = ~mask & kFullBlock;
      const int highestFailing = 31 - __builtin_clz(failing);
      left -= kBlockPixels - 1 - highestFailing;
      return PaintRun(left, x - 1, y), left;
    }
    while (left > first && PassesAt(left - 1, y)) --left;
    PaintRun(left, x - 1, y);
    return left;
  }

  int64_t ExtendRight(int64_t x, int64_t y) {
    if (!RowHolds(y)) return x;
    const int64_t last = int64_t{mGeometry.bounds.right} - 1;
    int64_t right = x;
    // Blocks end before the row's last pixel, which therefore follows them.
    while (right + kBlockPixels < last) {
      const uint32_t mask = BlockMask(right + 1, y);
      if (mask == kFullBlock) {
        right += kBlockPixels;
        continue;
      }
      right += __builtin_ctz(~mask);
      return PaintRun(x + 1, right, y), right;
    }
    while (right < last && PassesAt(right + 1, y)) ++right;
    PaintRun(x + 1, right, y);
    return right;
  }

  // The first x in from..to whose pixel passes, unpainted; to + 1 when none.
  // `from` and `to` lie within the row.
  int64_t FindFirst(int64_t from, int64_t to, int64_t y) const {
    if (!RowHolds(y)) return to + 1;
    const int64_t last = int64_t{mGeometry.bounds.right} - 1;
    int64_t x = from;
    while (x + kBlockPixels - 1 <= to && x + kBlockPixels <= last) {
      const uint32_t mask = BlockMask(x, y);
      if (mask) return x + __builtin_ctz(mask);
      x += kBlockPixels;
    }
    while (x <= to && !PassesAt(x, y)) ++x;
    return x;
  }

  int64_t TakeFirst(int64_t from, int64_t to, int64_t y) {
    const int64_t x = FindFirst(from, to, y);
    if (x <= to) {
      Paint(mGeometry.At(x, y), 1);
      Measure(x, x, y);
    }
    return x;
  }

 private:
  bool RowHolds(int64_t y) const {
    return mGeometry.data && y >= mGeometry.bounds.top && y < mGeometry.bounds.bottom;
  }

  bool PassesAt(int64_t x, int64_t y) const { return mTest.Passes(mGeometry.At(x, y), mGeometry.planeBytes); }

  uint32_t BlockMask(int64_t x, int64_t y) const {
    return mBlockMask(mTest, mGeometry.At(x, y), mGeometry.columnBytes, mGeometry.planeBytes);
  }

  void Paint(uint8_t* pixel, int64_t count) {
    for (int64_t i = 0; i < count; ++i, pixel += mGeometry.columnBytes)
      for (int k = 0; k < mTest.planes; ++k) pixel[k * mGeometry.planeBytes] = mPaint[k];
  }

  void PaintRun(int64_t from, int64_t to, int64_t y) {
    if (from > to) return;
    Paint(mGeometry.At(from, y), to - from + 1);
    Measure(from, to, y);
  }

  void Measure(int64_t from, int64_t to, int64_t y) {
    mArea.count += static_cast<uint64_t>(to - from + 1);
    mArea.minX = std::min(mArea.minX, from);
    mArea.maxX = std::max(mArea.maxX, to);
    mArea.minY = std::min(mArea.minY, y);
    mArea.maxY = std::max(mArea.maxY, y);
  }

  PixelGeometry mGeometry;
  FillTest mTest;
  PaintedArea mArea;
  BlockMaskFn mBlockMask;
  uint8_t mPaint[4];
};
