// The filter's region over the host's output buffer: the pixels that pass the
// fill test, painted in place with the paint colour as the fill reaches them,
// with the painted area's pixel count and bounding box kept on the way.
// Runs are tested 16 pixels at a time, by `Blocks` (a block test callable),
// and painted in bulk.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/BlockTest.h"
#include "engine/FillTest.h"
#include "engine/PixelGeometry.h"

// Pixel count and bounding box of what a fill painted.
struct PaintedArea {
  uint64_t count;
  int64_t minX, minY, maxX, maxY;
};

template <class Blocks>
class BasicPixelRegion {
 public:
  BasicPixelRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4], PaintedArea area,
                   Blocks blocks)
      : mGeometry(geometry), mTest(test), mArea(area), mBlocks(blocks) {
    std::copy(paint, paint + 4, mPaint);
    mPacked = geometry.planeBytes == 1 && geometry.columnBytes == test.planes;
    for (int i = 0; i < kBlockPixels * test.planes; ++i) mPattern[i] = mPaint[i % test.planes];
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
    const int64_t last = int64_t{mGeometry.bounds.right} - 1;
    int64_t left = x;
    // Each block ends at `left` - 1 or starts at the row's first pixel; a
    // 17th pixel must follow it in the row.
    while (left > first) {
      const int64_t start = std::max(left - kBlockPixels, first);
      if (start + kBlockPixels > last) break;
      const int candidates = static_cast<int>(left - start);
      const uint32_t wanted = LowBits(candidates);
      const uint32_t failing = ~BlockMask(start, y) & wanted;
      if (!failing) {
        left = start;
        continue;
      }
      // The passing pixels right of the last failing one extend the run.
      const int lastFailing = 31 - __builtin_clz(failing);
      left -= candidates - 1 - lastFailing;
      PaintRun(left, x - 1, y);
      return left;
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
      PaintRun(x + 1, right, y);
      return right;
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
    while (x <= to && x + kBlockPixels <= last) {
      const uint32_t mask = BlockMask(x, y) & LowBits(static_cast<int>(std::min<int64_t>(to - x + 1, kBlockPixels)));
      if (mask) return x + __builtin_ctz(mask);
      x += kBlockPixels;
    }
    while (x <= to && !PassesAt(x, y)) ++x;
    return std::min(x, to + 1);
  }

  void Prefetch(int64_t left, int64_t right, int64_t y) const {
    if (!RowHolds(y)) return;
    constexpr int64_t kCacheLine = 64;
    const uint8_t* end = mGeometry.At(right, y);
    for (const uint8_t* p = mGeometry.At(left, y); p <= end; p += kCacheLine) __builtin_prefetch(p);
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
  // The lowest `count` bits of a block mask (count 1..16).
  static uint32_t LowBits(int count) { return kFullBlock >> (kBlockPixels - count); }

  bool RowHolds(int64_t y) const {
    return mGeometry.data && y >= mGeometry.bounds.top && y < mGeometry.bounds.bottom;
  }

  bool PassesAt(int64_t x, int64_t y) const { return mTest.Passes(mGeometry.At(x, y), mGeometry.planeBytes); }

  uint32_t BlockMask(int64_t x, int64_t y) const {
    return mBlocks(mTest, mGeometry.At(x, y), mGeometry.columnBytes, mGeometry.planeBytes);
  }

  void Paint(uint8_t* pixel, int64_t count) {
    if (mPacked) {
      // Whole runs of packed pixels: a few wide copies of the repeated colour
      // instead of one store per byte.
      const int64_t chunk = kBlockPixels * mTest.planes;
      int64_t bytes = count * mTest.planes;
      for (; bytes >= chunk; bytes -= chunk, pixel += chunk) std::memcpy(pixel, mPattern, static_cast<size_t>(chunk));
      std::memcpy(pixel, mPattern, static_cast<size_t>(bytes));
      return;
    }
    // Locals: stores through the pixel pointer could alias the members.
    const int planes = mTest.planes;
    const int64_t column = mGeometry.columnBytes, step = mGeometry.planeBytes;
    const uint8_t paint[4] = {mPaint[0], mPaint[1], mPaint[2], mPaint[3]};
    for (int64_t i = 0; i < count; ++i, pixel += column)
      for (int k = 0; k < planes; ++k) pixel[k * step] = paint[k];
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
  Blocks mBlocks;
  uint8_t mPaint[4];
  // Pixels whose tested planes are all their bytes, side by side.
  bool mPacked;
  // The paint colour repeated for a block of packed pixels.
  uint8_t mPattern[kBlockPixels * 4];
};

// The region with its block test chosen at run time.
using PixelRegion = BasicPixelRegion<DispatchedBlocks>;
