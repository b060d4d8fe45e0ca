// The dense 600 dpi comic page the tool comparison and the flats benchmarks
// run on, drawn alike for both: panels of anti-aliased shapes, hard-edged
// shapes laid over them, and a band of tinted paper that passes only the
// anti-aliased fill test (neutral grey, not within a tolerance of 0 of
// white). About 148,000 regions and 430,000 neighbouring pairs: the regions'
// and boundaries' costs, which hide on the sparse flats page, show here.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/ImageBuffer.h"
#include "tests/support/LineArt.h"

namespace tessel::bench {

constexpr int64_t kDensePageWidth = 6600, kDensePageHeight = 10200;
constexpr int kDenseShapesPerPanel = 700;
constexpr uint32_t kDenseSeed = 2024;

// The whole page, in RGB. The tinted band lies within the top `tintedHeight`
// rows, where a corner of that height keeps it.
inline testing::Page DrawDensePage(int shapesPerPanel = kDenseShapesPerPanel, uint32_t seed = kDenseSeed,
                                   int64_t tintedHeight = kDensePageHeight) {
  testing::Page page = testing::DrawComicPage(kDensePageWidth, kDensePageHeight, 3, shapesPerPanel, seed);

  // A quarter as many hard-edged shapes, drawn across the whole page.
  testing::SketchOptions hard;
  hard.shapes = shapesPerPanel * 3;
  hard.smallestRadius = kDensePageWidth / 800.0;
  hard.largestRadius = kDensePageWidth / 60.0;
  hard.style = testing::LineStyle{1.0, false};
  hard.seed = seed + 1;
  testing::DrawRandomShapes(page, hard);

  // Every channel darkened to at most the paper's tone over a sixth of those
  // rows, so the lines drawn there stay as they were.
  const uint8_t paper[3] = {246, 245, 246};
  for (int64_t y = tintedHeight / 3; y < tintedHeight / 2; ++y)
    for (int64_t x = 0; x < page.width; ++x)
      for (int k = 0; k < 3; ++k) page.at(x, y, k) = std::min(page.at(x, y, k), paper[k]);
  return page;
}

// The whole page's RGB pixels, interleaved, in a buffer of the host's.
inline base::ImageBuffer DrawDensePagePixels() {
  const testing::Page art = DrawDensePage();
  base::ImageBuffer pixels({art.width, art.height, 3});
  std::memcpy(pixels.data(), art.bytes.data(), art.bytes.size());
  return pixels;
}

}  // namespace tessel::bench
