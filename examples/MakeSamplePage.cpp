// Draws the bundled sample: a comic-like page of anti-aliased line art,
// written as an RGB PNG (the editor's usual mode for flatting).
#include <cstdio>
#include <cstring>
#include <exception>

#include "io/ImageFile.h"
#include "tests/support/LineArt.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  try {
    const tessel::testing::Page page = tessel::testing::DrawComicPage(1200, 1600, 3, 24, 7);
    tessel::base::ImageBuffer pixels({page.width, page.height, page.planes, tessel::base::PlaneLayout::Interleaved, 0});
    std::memcpy(pixels.data(), page.bytes.data(), page.bytes.size());
    tessel::io::ImageFile image{std::move(pixels), plugInModeRGBColor, false, {}};
    image.traits.xResolution = image.traits.yResolution = 150 / 25.4;
    tessel::io::SaveImageFile(image, argv[1]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
