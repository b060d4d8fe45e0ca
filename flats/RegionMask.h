// Which pixels the filter painted. Every pixel the filter changed belongs to
// one of its regions (a paint colour never passes the fill test), so the
// changed pixels are the regions, and every other pixel is line art or
// something the fill test refused.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ImageBuffer.h"

namespace tessel::flats {

// One bit per pixel, set in a region: a page's mask costs an eighth of a
// grey page, and runs of either kind are found a word at a time.
class RegionMask {
 public:
  // Every pixel outside the regions.
  RegionMask(int64_t width, int64_t height);

  int64_t width() const { return mWidth; }
  int64_t height() const { return mHeight; }
  bool at(int64_t x, int64_t y) const { return (Word(x, y) >> (x & 63)) & 1; }
  void Set(int64_t x, int64_t y) { mBits[Index(x, y)] |= uint64_t{1} << (x & 63); }
  // The first column from `x` on in row `y` that is in a region (`inRegion`)
  // or outside, or the width when there is none.
  int64_t Next(int64_t x, int64_t y, bool inRegion) const;
  bool empty() const;  // no region pixel at all
  // Runs of region pixels in row `y`.
  int64_t CountRuns(int64_t y) const;
  // Calls `run(begin, end)` for each run of region pixels [begin, end) in
  // row `y`, left to right: a word at a time, each run found from the bits
  // where the row changes between region and not.
  template <typename Run>
  void ForEachRun(int64_t y, const Run& run) const {
    const uint64_t* words = mBits.data() + Index(0, y);
    bool inside = false;
    int64_t begin = 0;
    uint64_t carry = 0;  // the last bit of the word before, seen from the next word's first
    for (int64_t i = 0; i < mWordsPerRow; ++i) {
      const uint64_t word = words[i];
      for (uint64_t changes = word ^ (word << 1 | carry); changes != 0; changes &= changes - 1) {
        const int64_t x = i * 64 + __builtin_ctzll(changes);
        if (inside) run(begin, x);
        else begin = x;
        inside = !inside;
      }
      carry = word >> 63;
    }
    if (inside) run(begin, mWidth);  // the clear bits past the width end a run within a word
  }
  uint64_t* RowWords(int64_t y) { return mBits.data() + Index(0, y); }

 private:
  size_t Index(int64_t x, int64_t y) const { return static_cast<size_t>(y * mWordsPerRow + (x >> 6)); }
  uint64_t Word(int64_t x, int64_t y) const { return mBits[Index(x, y)]; }

  int64_t mWidth;
  int64_t mHeight;
  int64_t mWordsPerRow;
  std::vector<uint64_t> mBits;  // row by row; bit x % 64 of word x / 64; bits past the width clear
};

// The pixels whose planes differ between the page as read and the filter's
// result. Throws std::invalid_argument when the two differ in width, height
// or planes; their layouts may differ.
RegionMask ChangedPixels(const base::ImageBuffer& before, const base::ImageBuffer& after);
// The rows [firstRow, endRow) alone, into `mask`, whose pixels there must
// all be outside the regions; the sizes must match, unchecked.
void MarkChangedPixels(const base::ImageBuffer& before, const base::ImageBuffer& after, RegionMask& mask,
                       int64_t firstRow, int64_t endRow);

// Throws std::invalid_argument unless `image` has the mask's size and
// `colourPlanes` is 1 to image.planes().
void RequireMatch(const RegionMask& mask, const base::ImageBuffer& image, int colourPlanes);

}  // namespace tessel::flats
