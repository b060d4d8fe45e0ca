// The fill test asked of the host's output buffer row by row: one pixel, a
// block of 16 from `Blocks` (a block test callable), or the first pixel of a
// run that passes. It only reads; painting is the region's business.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/BlockTest.h"
#include "engine/PixelGeometry.h"
#include "interface/FillTest.h"

template <class Blocks>
class BasicPixelRows {
 public:
  BasicPixelRows(const PixelGeometry& geometry, const FillTest& test, Blocks blocks)
      : mGeometry(geometry), mTest(test), mBlocks(blocks) {}

  const PixelGeometry& geometry() const { return mGeometry; }
  const FillTest& test() const { return mTest; }

  // The lowest `count` bits of a block mask (count 0..16).
  static uint32_t LowBits(int count) { return kFullBlock >> (kBlockPixels - count); }

  bool RowHolds(int64_t y) const {
    return mGeometry.data && y >= mGeometry.bounds.top && y < mGeometry.bounds.bottom;
  }

  bool PassesAt(int64_t x, int64_t y) const { return mTest.Passes(mGeometry.At(x, y), mGeometry.planeBytes); }

  // A 17th pixel must follow the block's 16 in the buffer.
  uint32_t BlockMask(int64_t x, int64_t y) const {
    return mBlocks(mTest, mGeometry.At(x, y), mGeometry.columnBytes, mGeometry.planeBytes);
  }

  // The first x in from..to whose pixel passes (to + 1 when none), with what
  // its block test said of the `known` pixels after it: bit i is x + 1 + i.
  // `from` and `to` lie within the row.
  struct Found {
    int64_t x;
    uint32_t after;
    int known;
  };
  Found Find(int64_t from, int64_t to, int64_t y) const {
    if (!RowHolds(y)) return Found{to + 1, 0, 0};
    const int64_t last = int64_t{mGeometry.bounds.right} - 1;
    int64_t x = from;
    while (x <= to && x + kBlockPixels <= last) {
      const uint32_t block = BlockMask(x, y);
      const uint32_t mask = block & LowBits(static_cast<int>(std::min<int64_t>(to - x + 1, kBlockPixels)));
      if (mask) {
        const int at = __builtin_ctz(mask);
        return Found{x + at, block >> (at + 1), kBlockPixels - 1 - at};
      }
      x += kBlockPixels;
    }
    while (x <= to && !PassesAt(x, y)) ++x;
    return Found{std::min(x, to + 1), 0, 0};
  }

  int64_t FindFirst(int64_t from, int64_t to, int64_t y) const { return Find(from, to, y).x; }

 private:
  PixelGeometry mGeometry;
  FillTest mTest;
  Blocks mBlocks;
};
