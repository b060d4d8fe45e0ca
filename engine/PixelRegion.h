// The filter's region over the host's output buffer: the pixels that pass the
// fill test, painted in place with the paint colour as the fill reaches them,
// with the painted area's pixel count and bounding box kept on the way.
// Runs are tested 16 pixels at a time (see PixelRows.h) and painted in bulk.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/PixelRows.h"
#include "engine/ScanlineFill.h"

// Pixel count and bounding box of what a fill painted.
struct PaintedArea {
  uint64_t count;
  int64_t minX, minY, maxX, maxY;
};

template <class Blocks>
class BasicPixelRegion {
 public:
  BasicPixelRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4],
                   const PaintedArea& area, Blocks blocks)
      : mRows(geometry, test, blocks), mArea(area) {
    std::copy(paint, paint + 4, mPaint);
    mPlanes = test.planes;
    mPacked = geometry.planeBytes == 1 && geometry.columnBytes == test.planes;
    // Whole colours a pixel apart; the last may run into the spare bytes.
    // Locals: byte stores into the pattern could alias any member.
    const int step = std::max(test.planes, 1);
    uint8_t colour[4];
    std::copy(paint, paint + 4, colour);
    for (int i = 0; i < kPatternBytes; i += step) std::memcpy(mPattern + i, colour, 4);
  }

  const PaintedArea& area() const { return mArea; }

  bool Take(int64_t x, int64_t y) {
    if (!geometry().Contains(x, y) || !geometry().data) return false;
    uint8_t* pixel = geometry().At(x, y);
    if (!mRows.test().Passes(pixel, geometry().planeBytes)) return false;
    Paint(pixel, 1);
    Measure(x, x, y);
    return true;
  }

  int64_t ExtendLeft(int64_t x, int64_t y) {
    if (!mRows.RowHolds(y)) return x;
    const int64_t first = geometry().bounds.left;
    const int64_t last = int64_t{geometry().bounds.right} - 1;
    int64_t left = x;
    // Each block ends at `left` - 1 or starts at the row's first pixel; a
    // 17th pixel must follow it in the row.
    while (left > first) {
      const int64_t start = std::max(left - kBlockPixels, first);
      if (start + kBlockPixels > last) break;
      const int candidates = static_cast<int>(left - start);
      const uint32_t wanted = Rows::LowBits(candidates);
      const uint32_t failing = ~mRows.BlockMask(start, y) & wanted;
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
    while (left > first && mRows.PassesAt(left - 1, y)) --left;
    PaintRun(left, x - 1, y);
    return left;
  }

  int64_t ExtendRight(int64_t x, int64_t y) {
    if (!mRows.RowHolds(y)) return x;
    const int64_t last = int64_t{geometry().bounds.right} - 1;
    int64_t right = x;
    // Blocks end before the row's last pixel, which therefore follows them.
    while (right + kBlockPixels < last) {
      const uint32_t mask = mRows.BlockMask(right + 1, y);
      if (mask == kFullBlock) {
        right += kBlockPixels;
        continue;
      }
      right += __builtin_ctz(~mask);
      PaintRun(x + 1, right, y);
      return right;
    }
    while (right < last && mRows.PassesAt(right + 1, y)) ++right;
    PaintRun(x + 1, right, y);
    return right;
  }

  void Prefetch(int64_t left, int64_t right, int64_t y) const { geometry().Prefetch(left, right, y); }

  bool TakeRun(int64_t from, int64_t to, int64_t y, FillRun& run) {
    const auto found = mRows.Find(from, to, y);
    const int64_t x = found.x;
    if (x > to) return false;
    // The search's own block answers end the run when they hold a failing pixel.
    const uint32_t failing = ~found.after & Rows::LowBits(found.known);
    const int64_t right = x + (failing ? __builtin_ctz(failing) : found.known);
    PaintRun(x, right, y);
    // Points from..x - 1 have just failed: only a run met at `from` reaches left.
    run.left = x == from ? ExtendLeft(x, y) : x;
    run.right = failing ? right : ExtendRight(right, y);
    return true;
  }

 private:
  using Rows = BasicPixelRows<Blocks>;
  // A whole number of pixels of every packed size (1, 2, 3 or 4 bytes).
  static constexpr int64_t kChunk = 48;
  // The pattern runs past a chunk so that any 16 bytes from a chunk offset fit.
  static constexpr int kPatternBytes = 64;

  const PixelGeometry& geometry() const { return mRows.geometry(); }

  void Paint(uint8_t* pixel, int64_t count) {
    if (mPacked) {
      PaintPacked(pixel, count * mPlanes);
      return;
    }
    // Locals: stores through the pixel pointer could alias the members.
    const int planes = mPlanes;
    const int64_t column = geometry().columnBytes, step = geometry().planeBytes;
    const uint8_t paint[4] = {mPaint[0], mPaint[1], mPaint[2], mPaint[3]};
    for (int64_t i = 0; i < count; ++i, pixel += column)
      for (int k = 0; k < planes; ++k) pixel[k * step] = paint[k];
  }

  // `bytes` of packed pixels in a few fixed-size copies of the repeated
  // colour. The byte at offset o of the run is mPattern[o % kChunk], so copies
  // may overlap: the last one ends at the run's end instead of running short.
  void PaintPacked(uint8_t* pixel, int64_t bytes) {
    if (bytes >= 16) {
      int64_t done = 0;
      for (; bytes - done > kChunk; done += kChunk) std::memcpy(pixel + done, mPattern, kChunk);
      const int64_t rest = bytes - done;  // 1..kChunk
      if (rest > 16) std::memcpy(pixel + done, mPattern, 16);
      if (rest > 32) std::memcpy(pixel + done + 16, mPattern + 16, 16);
      std::memcpy(pixel + bytes - 16, mPattern + (rest >= 16 ? rest - 16 : rest - 16 + kChunk), 16);
    } else if (bytes >= 8) {
      std::memcpy(pixel, mPattern, 8);
      std::memcpy(pixel + bytes - 8, mPattern + bytes - 8, 8);
    } else if (bytes >= 4) {
      std::memcpy(pixel, mPattern, 4);
      std::memcpy(pixel + bytes - 4, mPattern + bytes - 4, 4);
    } else if (bytes >= 2) {
      std::memcpy(pixel, mPattern, 2);
      std::memcpy(pixel + bytes - 2, mPattern + bytes - 2, 2);
    } else if (bytes == 1) {
      *pixel = mPattern[0];
    }
  }

  void PaintRun(int64_t from, int64_t to, int64_t y) {
    if (from > to) return;
    Paint(geometry().At(from, y), to - from + 1);
    Measure(from, to, y);
  }

  void Measure(int64_t from, int64_t to, int64_t y) {
    mArea.count += static_cast<uint64_t>(to - from + 1);
    mArea.minX = std::min(mArea.minX, from);
    mArea.maxX = std::max(mArea.maxX, to);
    mArea.minY = std::min(mArea.minY, y);
    mArea.maxY = std::max(mArea.maxY, y);
  }

  Rows mRows;
  PaintedArea mArea;
  uint8_t mPaint[4];
  int mPlanes;
  // Pixels whose tested planes are all their bytes, side by side.
  bool mPacked;
  // The paint colour repeated, pixel after pixel, from a pixel's first byte.
  uint8_t mPattern[kPatternBytes + 4];
};

// The region with its block test chosen at run time.
using PixelRegion = BasicPixelRegion<DispatchedBlocks>;
