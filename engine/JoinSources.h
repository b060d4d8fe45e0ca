// Which pixels of an image could lend their colour to a joined region, kept
// by blocks so that the nearest one to any pixel is found without looking at
// the empty space between: for a speck deep inside a black area, finding its
// nearest source costs what the blocks around it cost, not what the pixels do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class JoinSources {
 public:
  static constexpr int kBlockShift = 3;  // blocks of 8 x 8 at every tier
  static constexpr int64_t kBlockSide = int64_t{1} << kBlockShift;

  // Squared distance of a point with no source.
  static constexpr uint64_t kNone = UINT64_MAX;

  // A map of a width x height image without sources.
  JoinSources(int64_t width, int64_t height);
  // A map of the pixels (x, y) for which isSource(x, y) holds.
  template <class IsSource>
  JoinSources(int64_t width, int64_t height, IsSource&& isSource) : JoinSources(width, height) {
    for (int64_t y = 0; y < height; ++y)
      for (int64_t x = 0; x < width; ++x)
        if (isSource(x, y)) mMasks[MaskAt(x, y)] |= Bit(x, y);
    RaiseTiers();
  }

  // Marks (x, y), 0 <= x < width, 0 <= y < height, as a source.
  void Add(int64_t x, int64_t y);
  bool Has(int64_t x, int64_t y) const;
  // The least squared distance from (x, y) to a source other than (x, y)
  // itself; kNone when there is none.
  uint64_t NearestSquare(int64_t x, int64_t y);

 private:
  // Tier 0 holds one 64-bit mask of 8 x 8 pixels per block; every tier above
  // one flag per 8 x 8 blocks of the tier below, until a single block.
  struct Tier {
    int64_t columns;
    int64_t rows;
    int shift;  // log2 of the block's side in pixels
    std::vector<uint8_t> any;
  };
  struct Candidate {
    uint64_t bound;
    int tier;
    int64_t column;
    int64_t row;
  };

  size_t MaskAt(int64_t x, int64_t y) const {
    return static_cast<size_t>((y >> kBlockShift) * mTiers[0].columns + (x >> kBlockShift));
  }
  static uint64_t Bit(int64_t x, int64_t y) {
    return uint64_t{1} << ((y & (kBlockSide - 1)) * kBlockSide + (x & (kBlockSide - 1)));
  }
  // Sets every flag above tier 0 from the tier below.
  void RaiseTiers();
  bool Occupied(int tier, int64_t column, int64_t row) const;
  uint64_t Bound(int tier, int64_t column, int64_t row, int64_t x, int64_t y) const;

  int64_t mWidth;
  int64_t mHeight;
  std::vector<uint64_t> mMasks;
  std::vector<Tier> mTiers;
  std::vector<Candidate> mQueue;
};
