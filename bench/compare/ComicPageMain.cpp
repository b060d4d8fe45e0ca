// Writes the generated comic-like 600 dpi page (bench/DensePage.h), or its
// top-left corner, as an RGB PNG for the tool comparison and the flats
// benchmarks. A corner keeps the whole page's density of lines and regions,
// so pages of every size cost the same per pixel.
#include <vips/vips.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "bench/DensePage.h"

namespace {

using tessel::testing::Page;

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
  using tessel::bench::kDensePageHeight;
  using tessel::bench::kDensePageWidth;
  int64_t width = kDensePageWidth, height = kDensePageHeight;
  int shapesPerPanel = tessel::bench::kDenseShapesPerPanel;
  uint32_t seed = tessel::bench::kDenseSeed;
  std::string output;
  app.add_option("--width", width, "pixels across")->check(CLI::Range(int64_t{64}, kDensePageWidth));
  app.add_option("--height", height, "pixels down")->check(CLI::Range(int64_t{64}, kDensePageHeight));
  app.add_option("--shapes", shapesPerPanel, "anti-aliased shapes per panel (12 panels)")->check(CLI::Range(1, 100000));
  app.add_option("--seed", seed, "random seed");
  app.add_option("-o,--output", output, "PNG file to write")->required();
  CLI11_PARSE(app, argc, argv);

  if (VIPS_INIT(argv[0]) != 0) {
    std::fprintf(stderr, "libvips could not be started\n");
    return 1;
  }
  const Page page = tessel::bench::DrawDensePage(shapesPerPanel, seed, height);

  if (!SaveCorner(page, width, height, output)) {
    std::fprintf(stderr, "%s: cannot be written: %s", output.c_str(), vips_error_buffer());
    return 1;
  }
  return 0;
}
