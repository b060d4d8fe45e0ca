// Writes a generated comic-like 600 dpi page, or its top-left corner, as an
// RGB PNG for the tool comparison: panels of anti-aliased shapes, hard-edged
// shapes laid over them, and a band of tinted paper that passes only the
// anti-aliased fill test (neutral grey, not within a tolerance of 0 of white).
// A corner keeps the whole page's density of lines and regions, so pages of
// every size cost the same per pixel.
#include <vips/vips.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "tests/support/LineArt.h"

namespace {

using tessel::testing::Page;

// Darkens every channel to at most `tone` over the rows [top, bottom), so the
// lines drawn there stay as they were.
void TintPaper(Page& page, int64_t top, int64_t bottom, const uint8_t (&tone)[3]) {
  for (int64_t y = top; y < bottom; ++y)
    for (int64_t x = 0; x < page.width; ++x)
      for (int k = 0; k < 3; ++k) page.at(x, y, k) = std::min(page.at(x, y, k), tone[k]);
}

bool SaveCorner(const Page& page, int64_t width, int64_t height, const std::string& path) {
  VipsImage* image = vips_image_new_from_memory(page.bytes.data(), page.bytes.size(), static_cast<int>(page.width),
                                                static_cast<int>(page.height), 3, VIPS_FORMAT_UCHAR);
  if (!image) return false;
  VipsImage* corner = nullptr;
  bool saved = vips_extract_area(image, &corner, 0, 0, static_cast<int>(width), static_cast<int>(height), nullptr) == 0;
  saved = saved && vips_pngsave(corner, path.c_str(), "compression", 1, nullptr) == 0;
  if (corner) g_object_unref(corner);
  g_object_unref(image);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Writes a generated comic-like 600 dpi page, or its top-left corner, as an RGB PNG"};
  constexpr int64_t kPageWidth = 6600, kPageHeight = 10200;
  int64_t width = kPageWidth, height = kPageHeight;
  int shapesPerPanel = 700;
  uint32_t seed = 2024;
  std::string output;
  app.add_option("--width", width, "pixels across")->check(CLI::Range(int64_t{64}, kPageWidth));
  app.add_option("--height", height, "pixels down")->check(CLI::Range(int64_t{64}, kPageHeight));
  app.add_option("--shapes", shapesPerPanel, "anti-aliased shapes per panel (12 panels)")->check(CLI::Range(1, 100000));
  app.add_option("--seed", seed, "random seed");
  app.add_option("-o,--output", output, "PNG file to write")->required();
  CLI11_PARSE(app, argc, argv);

  if (VIPS_INIT(argv[0]) != 0) {
    std::fprintf(stderr, "libvips could not be started\n");
    return 1;
  }
  Page page = tessel::testing::DrawComicPage(kPageWidth, kPageHeight, 3, shapesPerPanel, seed);

  // A quarter as many hard-edged shapes, drawn across the whole page.
  tessel::testing::SketchOptions hard;
  hard.shapes = shapesPerPanel * 3;
  hard.smallestRadius = kPageWidth / 800.0;
  hard.largestRadius = kPageWidth / 60.0;
  hard.style = tessel::testing::LineStyle{1.0, false};
  hard.seed = seed + 1;
  tessel::testing::DrawRandomShapes(page, hard);

  const uint8_t paper[3] = {246, 245, 246};
  TintPaper(page, height / 3, height / 2, paper);

  if (!SaveCorner(page, width, height, output)) {
    std::fprintf(stderr, "%s: cannot be written: %s", output.c_str(), vips_error_buffer());
    return 1;
  }
  return 0;
}
