#include "flats/RegionMask.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>

#include "base/RowBands.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel::flats {

RegionMask::RegionMask(int64_t width, int64_t height)
    : mWidth(width), mHeight(height), mWordsPerRow((width + 63) / 64),
      mBits(static_cast<size_t>(mWordsPerRow * height), 0) {}

int64_t RegionMask::Next(int64_t x, int64_t y, bool inRegion) const {
  if (x >= mWidth) return mWidth;
  const uint64_t flip = inRegion ? 0 : ~uint64_t{0};
  size_t i = Index(x, y);
  const size_t end = Index(0, y) + static_cast<size_t>(mWordsPerRow);
  uint64_t word = (mBits[i] ^ flip) & (~uint64_t{0} << (x & 63));
  while (word == 0 && ++i < end) word = mBits[i] ^ flip;
  if (word == 0) return mWidth;
  const int64_t found = static_cast<int64_t>(i - Index(0, y)) * 64 + __builtin_ctzll(word);
  return std::min(found, mWidth);  // the clear bits past the width are not pixels
}

bool RegionMask::empty() const {
  return std::all_of(mBits.begin(), mBits.end(), [](uint64_t word) { return word == 0; });
}

int64_t RegionMask::CountRuns(int64_t y) const {
  int64_t runs = 0;
  uint64_t left = 0;  // the last bit of the word before, seen from the next word's first
  for (size_t i = Index(0, y), end = i + static_cast<size_t>(mWordsPerRow); i < end; ++i) {
    runs += __builtin_popcountll(mBits[i] & ~(mBits[i] << 1 | left));
    left = mBits[i] >> 63;
  }
  return runs;
}

namespace {

// Bit i of the result: bit kPlanes * i of `bits`, for 16 pixels' bytes.
template <int kPlanes>
uint64_t EveryPixelsFirstBit(uint64_t bits) {
  if constexpr (kPlanes == 2) {
    bits &= 0x55555555;
    bits = (bits | bits >> 1) & 0x33333333;
    bits = (bits | bits >> 2) & 0x0F0F0F0F;
    bits = (bits | bits >> 4) & 0x00FF00FF;
    bits = bits | bits >> 8;
  } else if constexpr (kPlanes == 3) {
    bits &= 0x249249249249;
    bits = (bits | bits >> 2) & 0x0C30C30C30C3;
    bits = (bits | bits >> 4) & 0x00F00F00F00F;
    bits = (bits | bits >> 8) & 0x0000FF0000FF;
    bits = bits | bits >> 16;
  } else if constexpr (kPlanes == 4) {
    bits &= 0x1111111111111111;
    bits = (bits | bits >> 3) & 0x0303030303030303;
    bits = (bits | bits >> 6) & 0x000F000F000F000F;
    bits = (bits | bits >> 12) & 0x000000FF000000FF;
    bits = bits | bits >> 24;
  }
  return bits & 0xFFFF;
}

#if defined(__SSE2__)
constexpr int kBlockPixels = 16;
// Which of 16 pixels of `kPlanes` bytes differ, a bit each: the bytes are
// compared 16 at once, and each pixel's bits then folded into its first.
template <int kPlanes>
uint64_t ChangedInBlock(const uint8_t* a, const uint8_t* b) {
  uint64_t same = 0;  // a bit a byte
  for (int k = 0; k < kPlanes; ++k) {
    const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a) + k),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b) + k));
    same |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_setzero_si128())))} << 16 * k;
  }
  uint64_t pixelSame = same;
  for (int p = 1; p < kPlanes; ++p) pixelSame &= same >> p;
  return ~EveryPixelsFirstBit<kPlanes>(pixelSame) & 0xFFFF;
}
#endif

// One row of interleaved pixels of `kPlanes` bytes (a constant, so that the
// comparison unrolls), 64 pixels to a mask word built in a register: setting
// the mask's bits one by one cost three times as much. Up to four planes,
// blocks of pixels are compared at once where the processor can.
template <int kPlanes>
void ChangedInRow(const uint8_t* a, const uint8_t* b, int64_t width, uint64_t* words) {
  for (int64_t x0 = 0; x0 < width; x0 += 64) {
    const int n = static_cast<int>(std::min<int64_t>(64, width - x0));
    const uint8_t* pa = a + x0 * kPlanes;
    const uint8_t* pb = b + x0 * kPlanes;
    uint64_t word = 0;
    int i = 0;
#if defined(__SSE2__)
    if constexpr (kPlanes <= 4)
      for (; i + kBlockPixels <= n; i += kBlockPixels)
        word |= ChangedInBlock<kPlanes>(pa + i * kPlanes, pb + i * kPlanes) << i;
#endif
    for (; i < n; ++i) {
      uint8_t differs = 0;
      for (int p = 0; p < kPlanes; ++p) differs |= static_cast<uint8_t>(pa[i * kPlanes + p] ^ pb[i * kPlanes + p]);
      word |= uint64_t{differs != 0} << i;
    }
    words[x0 / 64] = word;
  }
}

}  // namespace

RegionMask ChangedPixels(const base::ImageBuffer& before, const base::ImageBuffer& after) {
  if (before.width() != after.width() || before.height() != after.height() || before.planes() != after.planes())
    throw std::invalid_argument("the page before and after the run differ in size");
  RegionMask mask(before.width(), before.height());
  // Rows are independent, and each row's bits are words of its own.
  base::InRowBands(mask.height(),
                   [&](int64_t begin, int64_t end) { MarkChangedPixels(before, after, mask, begin, end); });
  return mask;
}

void MarkChangedPixels(const base::ImageBuffer& before, const base::ImageBuffer& after, RegionMask& mask,
                       int64_t firstRow, int64_t endRow) {
  const int planes = before.planes();
  const bool packed = before.columnBytes() == planes && after.columnBytes() == planes;
  using RowCompare = void (*)(const uint8_t*, const uint8_t*, int64_t, uint64_t*);
  // Up to CMYK with transparency.
  constexpr RowCompare kPacked[] = {ChangedInRow<1>, ChangedInRow<2>, ChangedInRow<3>, ChangedInRow<4>,
                                    ChangedInRow<5>};
  constexpr int kMostPacked = static_cast<int>(std::size(kPacked));
  for (int64_t y = firstRow; y < endRow; ++y) {
    if (packed && planes <= kMostPacked) {
      // Interleaved, as pages are read: the common case.
      kPacked[planes - 1](before.data() + y * before.rowBytes(), after.data() + y * after.rowBytes(), mask.width(),
                          mask.RowWords(y));
      continue;
    }
    for (int64_t x = 0; x < mask.width(); ++x)
      for (int p = 0; p < planes; ++p)
        if (before.at(x, y, p) != after.at(x, y, p)) {
          mask.Set(x, y);
          break;
        }
  }
}

void RequireMatch(const RegionMask& mask, const base::ImageBuffer& image, int colourPlanes) {
  if (mask.width() != image.width() || mask.height() != image.height())
    throw std::invalid_argument("the region mask and the image differ in size");
  if (colourPlanes < 1 || colourPlanes > image.planes())
    throw std::invalid_argument(std::to_string(colourPlanes) + " colour planes in an image of " +
                                std::to_string(image.planes()));
}

}  // namespace tessel::flats
