// The 32 MP comic page the flats benchmarks run on: drawn alike for the
// whole runs and for the stages alone, so that one can be traced to the other.
#pragma once

#include <cstring>

#include "base/ImageBuffer.h"
#include "tests/support/LineArt.h"

namespace tessel::bench {

constexpr int64_t kFlatsPageWidth = 4640, kFlatsPageHeight = 6900;  // 32 MP, a 600 dpi page's width

// The page's RGB pixels, interleaved, in a buffer of the host's.
inline base::ImageBuffer DrawFlatsPage() {
  const testing::Page art = testing::DrawComicPage(kFlatsPageWidth, kFlatsPageHeight, 3, 120, 4);
  base::ImageBuffer pixels({kFlatsPageWidth, kFlatsPageHeight, 3, base::PlaneLayout::Interleaved, 0});
  std::memcpy(pixels.data(), art.bytes.data(), art.bytes.size());
  return pixels;
}

}  // namespace tessel::bench
