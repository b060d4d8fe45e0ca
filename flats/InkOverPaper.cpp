#include "flats/InkOverPaper.h"

#include <cstring>

#include "base/Multiply.h"
#include "base/RowBands.h"

namespace tessel::flats {

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a pixel's last byte is its word's highest");

// Interleaved rows whose pixels, transparency last, fill a `Word` (grey or
// RGB with transparency), nothing kept. Each pixel is taken whole as a word,
// and blocks of them at once, so that the compiler vectorises the page's one
// pass (byte by byte it did not); a block wholly transparent is paper and one
// wholly opaque stays as it is, as most of an ink layer is the one or the
// other: the arithmetic is left to the lines' edges.
template <typename Word>
Word PixelOverPaper(Word pixel) {
  constexpr int kColour = sizeof(Word) - 1;
  const unsigned a = pixel >> (8 * kColour);
  auto composited = static_cast<Word>(Word{255} << (8 * kColour));
  for (int p = 0; p < kColour; ++p)
    composited |= static_cast<Word>(Word{base::OverPaper((pixel >> (8 * p)) & 255, a)} << (8 * p));
  return composited;
}

template <typename Word>
void RowOverPaper(uint8_t* row, int64_t width) {
  constexpr Word kAlpha = static_cast<Word>(Word{255} << (8 * (sizeof(Word) - 1)));
  constexpr int64_t kBlock = 16;
  Word block[kBlock];
  int64_t x = 0;
  for (; x + kBlock <= width; x += kBlock) {
    uint8_t* at = row + x * static_cast<int64_t>(sizeof(Word));
    std::memcpy(block, at, sizeof block);
    Word all = kAlpha, any = 0;
    for (const Word pixel : block) {
      all &= pixel;
      any |= pixel;
    }
    if ((all & kAlpha) == kAlpha) continue;
    if ((any & kAlpha) == 0) {
      std::memset(at, 255, sizeof block);
      continue;
    }
    for (Word& pixel : block) pixel = PixelOverPaper(pixel);
    std::memcpy(at, block, sizeof block);
  }
  for (; x < width; ++x) {
    Word pixel;
    std::memcpy(&pixel, row + x * static_cast<int64_t>(sizeof(Word)), sizeof pixel);
    pixel = PixelOverPaper(pixel);
    std::memcpy(row + x * static_cast<int64_t>(sizeof(Word)), &pixel, sizeof pixel);
  }
}

// Any layout (CMYK with transparency too), keeping what the ink needs back
// when asked.
void AnyRowOverPaper(base::ImageBuffer& page, int64_t y, InkRecord* kept) {
  const int colour = page.planes() - 1;
  uint8_t* transparency = kept ? kept->transparency.data() + y * page.width() : nullptr;
  for (int64_t x = 0; x < page.width(); ++x) {
    const unsigned a = page.at(x, y, colour);
    if (kept) {
      transparency[x] = static_cast<uint8_t>(a);
      if (a != 0 && a != 255)
        for (int p = 0; p < colour; ++p) kept->partial[static_cast<size_t>(y)].push_back(page.at(x, y, p));
    }
    for (int p = 0; p < colour; ++p) page.at(x, y, p) = base::OverPaper(page.at(x, y, p), a);
    page.at(x, y, colour) = 255;
  }
}

}  // namespace

void InkOverPaper(base::ImageBuffer& page, InkRecord* kept) {
  if (kept) {
    kept->transparency.assign(static_cast<size_t>(page.width() * page.height()), 0);
    kept->partial.assign(static_cast<size_t>(page.height()), {});
  }
  using FastRow = void (*)(uint8_t*, int64_t);
  FastRow fast = nullptr;
  if (!kept && page.columnBytes() == page.planes()) {
    if (page.planes() == 2) fast = RowOverPaper<uint16_t>;
    if (page.planes() == 4) fast = RowOverPaper<uint32_t>;
  }
  // Each row is its own: bands of them side by side.
  base::InRowBands(page.height(), [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      if (fast) fast(page.data() + y * page.rowBytes(), page.width());
      else AnyRowOverPaper(page, y, kept);
    }
  });
}

void RestoreInk(const InkRecord& kept, base::ImageBuffer& page) {
  const int colour = page.planes() - 1;
  base::InRowBands(page.height(), [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      const uint8_t* transparency = kept.transparency.data() + y * page.width();
      const uint8_t* partial = kept.partial[static_cast<size_t>(y)].data();
      for (int64_t x = 0; x < page.width(); ++x) {
        const uint8_t a = transparency[x];
        page.at(x, y, colour) = a;
        if (a == 255) continue;
        for (int p = 0; p < colour; ++p) page.at(x, y, p) = a == 0 ? 255 : *partial++;
      }
    }
  });
}

}  // namespace tessel::flats
