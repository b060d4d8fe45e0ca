#include "base/OverPaperRow.h"

#include <cstring>

#include "base/Multiply.h"

namespace tessel::base {

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a pixel's last byte is its word's highest");

// A pixel whose bytes fill a `Word`, transparency last, over paper: opaque.
// Taken whole as a word, so that a loop of them vectorises where byte by byte
// it did not.
template <typename Word>
Word PixelOverPaper(Word pixel) {
  constexpr int kColour = sizeof(Word) - 1;
  const unsigned a = pixel >> (8 * kColour);
  auto composited = static_cast<Word>(Word{255} << (8 * kColour));
  for (int p = 0; p < kColour; ++p)
    composited |= static_cast<Word>(Word{OverPaper((pixel >> (8 * p)) & 255, a)} << (8 * p));
  return composited;
}

// Pixels whose bytes, transparency last, fill a `Word` (grey or RGB with
// transparency), in blocks: a block wholly transparent is paper, and one
// wholly opaque is left as it is, as most of an ink layer is the one or the
// other: the arithmetic is left to the lines' edges.
template <typename Word, Coverage kCoverage>
void WordsOverPaper(const uint8_t* ink, uint8_t* paper, int64_t width) {
  constexpr int kColour = sizeof(Word) - 1;
  constexpr int64_t kIn = sizeof(Word), kOut = kCoverage == Coverage::kOpaque ? kIn : kColour;
  constexpr Word kAlpha = static_cast<Word>(Word{255} << (8 * kColour));
  constexpr int64_t kBlock = 16;
  Word block[kBlock];
  int64_t x = 0;
  for (; x + kBlock <= width; x += kBlock) {
    std::memcpy(block, ink + x * kIn, sizeof block);
    uint8_t* at = paper + x * kOut;
    Word all = kAlpha, any = 0;
    for (const Word pixel : block) {
      all &= pixel;
      any |= pixel;
    }
    if ((any & kAlpha) == 0) {
      std::memset(at, 255, kBlock * kOut);
      continue;
    }
    if ((all & kAlpha) != kAlpha) {
      for (Word& pixel : block) pixel = PixelOverPaper(pixel);
    } else if (at == ink + x * kIn) {
      continue;
    }
    if constexpr (kOut == kIn) {
      std::memcpy(at, block, sizeof block);
    } else if constexpr (kColour == 1) {
      for (int64_t i = 0; i < kBlock; ++i) at[i] = static_cast<uint8_t>(block[i]);
    } else {
      // Whole words, each overlapping the next pixel's first byte, which
      // that pixel's word then writes: the block's last pixel stops short.
      for (int64_t i = 0; i + 1 < kBlock; ++i) std::memcpy(at + i * kColour, &block[i], sizeof(Word));
      std::memcpy(at + (kBlock - 1) * kColour, &block[kBlock - 1], kColour);
    }
  }
  for (; x < width; ++x) {
    Word pixel;
    std::memcpy(&pixel, ink + x * kIn, sizeof pixel);
    pixel = PixelOverPaper(pixel);
    std::memcpy(paper + x * kOut, &pixel, kOut);
  }
}

template <Coverage kCoverage>
void BytesOverPaper(const uint8_t* ink, uint8_t* paper, int64_t width, int colourPlanes, uint8_t toEditor) {
  const int out = colourPlanes + (kCoverage == Coverage::kOpaque ? 1 : 0);
  for (int64_t x = 0; x < width; ++x, ink += colourPlanes + 1, paper += out) {
    const unsigned a = ink[colourPlanes];
    for (int p = 0; p < colourPlanes; ++p) paper[p] = static_cast<uint8_t>(OverPaper(ink[p] ^ toEditor, a) ^ toEditor);
    if constexpr (kCoverage == Coverage::kOpaque) paper[colourPlanes] = 255;
  }
}

template <Coverage kCoverage>
void RowOverPaper(const uint8_t* ink, uint8_t* paper, int64_t width, int colourPlanes, uint8_t toEditor) {
  if (toEditor == 0 && colourPlanes == 1) WordsOverPaper<uint16_t, kCoverage>(ink, paper, width);
  else if (toEditor == 0 && colourPlanes == 3) WordsOverPaper<uint32_t, kCoverage>(ink, paper, width);
  else BytesOverPaper<kCoverage>(ink, paper, width, colourPlanes, toEditor);
}

}  // namespace

void RowOverPaper(const uint8_t* ink, uint8_t* paper, int64_t width, int colourPlanes, Coverage coverage,
                  uint8_t toEditor) {
  if (coverage == Coverage::kOpaque) RowOverPaper<Coverage::kOpaque>(ink, paper, width, colourPlanes, toEditor);
  else RowOverPaper<Coverage::kDropped>(ink, paper, width, colourPlanes, toEditor);
}

}  // namespace tessel::base
