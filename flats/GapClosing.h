// Closing strokes across the gaps of line art, found without the filter: the
// line art is thinned to a skeleton, and each end of it that points at other
// line within reach is joined to that line's skeleton by a straight stroke
// (after Fourey, Tschumperle and Revoy, "A Fast and Efficient Semi-guided
// Algorithm for Flat Coloring Line-arts", 2018). Lines are never thickened
// and closed outlines, having no ends, are never crossed: only a line that
// stops short of another is joined.
//
// Each choice is the stroke's own, never the largest gap's, so that a larger
// gap only adds strokes and every gap closed stays closed:
// - an end joins the line across the fewest pixels of fill (counted longer
//   for a stroke turned more than 45 degrees from where the end points), the
//   nearest and straightest among equals;
// - a stroke that alone shuts in a pocket smaller than four times its gap's
//   square is left out (lines that close are letters side by side or a
//   letter's bowl, not a shape with a gap); for a line that stops short of
//   another rather than one cut, as a letter's stroke stops short of its
//   stem, the pocket is at least as for a gap of 8 pixels;
// - two ends whose strokes land on each other are one gap, closed by one
//   stroke;
// - fill that strokes shut in between them all the same, smaller than the
//   pocket limit of a stroke beside it, is covered too, and goes to a region
//   it was cut from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel::flats {

// One bit a pixel, row by row: bit x % 64 of word x / 64 of row y is pixel
// (x, y). Every row has a clear bit past its last pixel, and a clear row
// lies above the first and below the last, so that every pixel's eight
// neighbours can be read without a bounds check.
class PixelBits {
 public:
  PixelBits(int64_t width, int64_t height);

  int64_t width() const { return mWidth; }
  int64_t height() const { return mHeight; }
  int64_t wordsPerRow() const { return mWordsPerRow; }
  // Row y's words, for -1 <= y <= height.
  uint64_t* Row(int64_t y) { return mWords.data() + (y + 1) * mWordsPerRow; }
  const uint64_t* Row(int64_t y) const { return mWords.data() + (y + 1) * mWordsPerRow; }
  // A pixel's place among the bits; its neighbours lie 1 and one row's bits away.
  int64_t Bit(int64_t x, int64_t y) const { return (y + 1) * mRowBits + x; }
  int64_t rowBits() const { return mRowBits; }
  bool at(int64_t bit) const { return (mWords[static_cast<std::size_t>(bit >> 6)] >> (bit & 63)) & 1; }
  void Set(int64_t bit) { mWords[static_cast<std::size_t>(bit >> 6)] |= uint64_t{1} << (bit & 63); }
  void Clear(int64_t bit) { mWords[static_cast<std::size_t>(bit >> 6)] &= ~(uint64_t{1} << (bit & 63)); }

 private:
  int64_t mWidth;
  int64_t mHeight;
  int64_t mWordsPerRow;
  int64_t mRowBits;
  std::vector<uint64_t> mWords;
};

// What closes the gaps of a page's line art.
struct Closing {
  // The pixels to cover, as row-major indices, each once, in increasing
  // order: the strokes, 4-connected so that no fill passes one by 4- or
  // 8-neighbours, from the middle of a line end to the middle of the line it
  // points at, and the fill they shut in between them.
  std::vector<int64_t> pixels;
  // Fill shut in between strokes, to be given to a region it was cut from:
  // its pixels, with the stroke's pixel between it and that region, and a
  // pixel of that region (-1 when none lies across one stroke pixel).
  struct Pocket {
    std::vector<int64_t> pixels;
    int64_t from;
  };
  std::vector<Pocket> pockets;
};

// Closes the gaps of at most `maxGap` pixels in the line art `line`.
// `solid` is the part of the line art that every fill test refuses: it needs
// no covering, and it walls in what an anti-aliased test takes for fill.
// Nothing for `maxGap` < 1.
Closing FindClosing(const PixelBits& line, const PixelBits& solid, int maxGap);

}  // namespace tessel::flats
