#include "pipeline/PageGaps.h"

#include <utility>

#include "flats/GapClosing.h"
#include "flats/NearestRegion.h"
#include "flats/RegionMask.h"

namespace tessel::pipeline {

namespace {

// A pixel with a plane darker than mid-grey is line to the gap search; a
// stroke covers every pixel of its way but those darker than 17, which every
// fill test refuses already (the anti-aliased test takes the greys above).
constexpr unsigned kLineBelow = 128;
constexpr unsigned kSolidBelow = 17;

int ColourPlanes(const io::ImageFile& image) { return image.pixels.planes() - (image.hasTransparency ? 1 : 0); }

// Bytes are light at 255 in every mode: grey, RGB, CMYK (255 = no ink), and
// Lab's lightness, its only plane that says so.
bool Ink(const base::ImageBuffer& page, int16_t mode, int colourPlanes, int64_t x, int64_t y, unsigned below) {
  const int planes = mode == plugInModeLabColor ? 1 : colourPlanes;
  for (int p = 0; p < planes; ++p)
    if (page.at(x, y, p) < below) return true;
  return false;
}

std::vector<uint8_t> Black(int16_t mode, int colourPlanes) {
  std::vector<uint8_t> black(static_cast<size_t>(colourPlanes), 0);
  if (mode == plugInModeLabColor) black[1] = black[2] = 128;
  return black;
}

}  // namespace

GapStrokes CloseGaps(io::ImageFile& page, int maxGap) {
  base::ImageBuffer& pixels = page.pixels;
  flats::LineMask mask{pixels.width(), pixels.height(),
                       base::ImageBuffer({pixels.width(), pixels.height(), 1, base::PlaneLayout::Interleaved, 0})};
  const int planes = ColourPlanes(page);
  // Plane by plane, a row at a time: every pixel of the page passes here.
  const int tested = page.imageMode == plugInModeLabColor ? 1 : planes;
  for (int64_t y = 0; y < mask.height; ++y) {
    uint8_t* line = mask.line.data() + y * mask.width;
    for (int p = 0; p < tested; ++p) {
      const uint8_t* plane = &pixels.at(0, y, p);
      const int64_t step = pixels.columnBytes();
      for (int64_t x = 0; x < mask.width; ++x) line[x] |= plane[x * step] < kLineBelow;
    }
  }

  const std::vector<uint8_t> black = Black(page.imageMode, planes);
  GapStrokes strokes;
  const int64_t width = mask.width;
  for (const int64_t i : flats::ClosingStrokes(std::move(mask), maxGap)) {
    const int64_t x = i % width, y = i / width;
    if (Ink(pixels, page.imageMode, planes, x, y, kSolidBelow)) continue;
    strokes.pixels.push_back(i);
    for (int p = 0; p < planes; ++p) {
      strokes.originals.push_back(pixels.at(x, y, p));
      pixels.at(x, y, p) = black[static_cast<size_t>(p)];
    }
  }
  return strokes;
}

void TakeOutStrokes(const GapStrokes& strokes, base::ImageBuffer& asRead, io::ImageFile& result) {
  const int planes = ColourPlanes(result);
  base::ImageBuffer& pixels = result.pixels;
  const int64_t width = pixels.width();
  for (size_t k = 0; k < strokes.pixels.size(); ++k)
    for (int p = 0; p < planes; ++p) {
      const int64_t x = strokes.pixels[k] % width, y = strokes.pixels[k] / width;
      asRead.at(x, y, p) = pixels.at(x, y, p) = strokes.originals[k * static_cast<size_t>(planes) + p];
    }
}

void ReopenGaps(const GapStrokes& strokes, base::ImageBuffer& asRead, io::ImageFile& result) {
  if (strokes.empty()) return;
  TakeOutStrokes(strokes, asRead, result);
  base::ImageBuffer& pixels = result.pixels;
  const int planes = ColourPlanes(result);
  const int64_t width = pixels.width();
  const flats::RegionMask regions = flats::ChangedPixels(asRead, pixels);

  // The stroke pixels row by row, as the nearest-region visit goes.
  size_t next = 0;
  flats::VisitNearestRegionPixels(regions, [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
    for (; next < strokes.pixels.size() && strokes.pixels[next] / width <= y; ++next) {
      const int64_t x = strokes.pixels[next] % width;
      if (strokes.pixels[next] / width < y) continue;
      for (int p = 0; p < planes; ++p) pixels.at(x, y, p) = pixels.at(fromX[x], fromY[x], p);
    }
  });
}

}  // namespace tessel::pipeline
