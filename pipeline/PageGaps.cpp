#include "pipeline/PageGaps.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/RowBands.h"
#include "flats/GapClosing.h"
#include "flats/NearestRegion.h"
#include "flats/RegionMask.h"

namespace tessel::pipeline {

namespace {

// A pixel with a plane darker than mid-grey is line to the gap search; one
// darker than 17 is solid: every fill test refuses it already (the
// anti-aliased test takes the greys above), so a stroke need not cover it.
constexpr unsigned kLineBelow = 128;
constexpr unsigned kSolidBelow = 17;

int ColourPlanes(const io::ImageFile& image) { return image.pixels.planes() - (image.hasTransparency ? 1 : 0); }

// How far from a stroke its nearest region is looked for before the whole page.
constexpr int64_t kNear = 64;

// Whether the filter painted (x, y): any of its planes changed.
bool Painted(const base::ImageBuffer& before, const base::ImageBuffer& after, int64_t x, int64_t y) {
  for (int p = 0; p < before.planes(); ++p)
    if (before.at(x, y, p) != after.at(x, y, p)) return true;
  return false;
}

// Sets the bits of row y's line and solid pixels: those with one of their
// first `tested` planes darker than the thresholds.
void MarkLine(const base::ImageBuffer& pixels, int64_t y, int tested, uint64_t* line, uint64_t* solid) {
  const int64_t step = pixels.columnBytes(), planeStep = pixels.planeBytes(), width = pixels.width();
  const uint8_t* row = pixels.data() + y * pixels.rowBytes();
  // Interleaved pixels whose every byte is light are passed over eight at a
  // time: most of a page is paper.
  const bool skips = step == pixels.planes() && planeStep == 1;
  for (int64_t word = 0; word * 64 < width; ++word) {
    uint64_t lineBits = 0, solidBits = 0;
    for (int64_t x = word * 64, end = std::min(x + 64, width); x < end;) {
      if (skips && x + 8 <= end) {
        bool light = true;
        for (int64_t k = 0; k < 8 * step && light; k += 8) {
          uint64_t bytes = ~uint64_t{0};
          std::memcpy(&bytes, row + x * step + k, static_cast<size_t>(std::min<int64_t>(8, 8 * step - k)));
          light = (bytes & 0x8080808080808080u) == 0x8080808080808080u;
        }
        if (light) {
          x += 8;
          continue;
        }
      }
      for (const int64_t stop = skips ? std::min(x + 8, end) : end; x < stop; ++x) {
        unsigned darkest = 255;
        for (int p = 0; p < tested; ++p) darkest = std::min<unsigned>(darkest, row[x * step + p * planeStep]);
        lineBits |= uint64_t{darkest < kLineBelow} << (x % 64);
        solidBits |= uint64_t{darkest < kSolidBelow} << (x % 64);
      }
    }
    line[word] = lineBits;
    solid[word] = solidBits;
  }
}

std::vector<uint8_t> Black(int16_t mode, int colourPlanes) {
  std::vector<uint8_t> black(static_cast<size_t>(colourPlanes), 0);
  if (mode == plugInModeLabColor) black[1] = black[2] = 128;
  return black;
}

}  // namespace

GapStrokes CloseGaps(io::ImageFile& page, int maxGap) {
  base::ImageBuffer& pixels = page.pixels;
  flats::PixelBits line(pixels.width(), pixels.height()), solid(pixels.width(), pixels.height());
  const int planes = ColourPlanes(page);
  // Bytes are light at 255 in every mode: grey, RGB, CMYK (255 = no ink), and
  // Lab's lightness, its only plane that says so. Every pixel of the page
  // passes here: bands of rows side by side.
  const int tested = page.imageMode == plugInModeLabColor ? 1 : planes;
  base::InRowBands(pixels.height(), [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) MarkLine(pixels, y, tested, line.Row(y), solid.Row(y));
  });

  const std::vector<uint8_t> black = Black(page.imageMode, planes);
  flats::Closing closing = flats::FindClosing(line, solid, maxGap);
  GapStrokes strokes{std::move(closing.pixels), {}, std::move(closing.pockets)};
  const int64_t width = pixels.width();
  for (const int64_t i : strokes.pixels)
    for (int p = 0; p < planes; ++p) {
      uint8_t& byte = pixels.at(i % width, i / width, p);
      strokes.originals.push_back(byte);
      byte = black[static_cast<size_t>(p)];
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
  for (const flats::Closing::Pocket& pocket : strokes.pockets) {
    const int64_t fromX = pocket.from % width, fromY = pocket.from / width;
    if (pocket.from < 0 || !Painted(asRead, pixels, fromX, fromY)) continue;
    for (const int64_t i : pocket.pixels)
      for (int p = 0; p < planes; ++p) pixels.at(i % width, i / width, p) = pixels.at(fromX, fromY, p);
  }
}

void ReopenGaps(const GapStrokes& strokes, base::ImageBuffer& asRead, io::ImageFile& result) {
  if (strokes.empty()) return;
  TakeOutStrokes(strokes, asRead, result);
  base::ImageBuffer& pixels = result.pixels;
  const int planes = ColourPlanes(result);
  const int64_t width = pixels.width(), height = pixels.height();
  const auto painted = [&](int64_t x, int64_t y) { return Painted(asRead, pixels, x, y); };

  // Each pixel left unpainted and its nearest region pixel, found near it
  // before any is painted; the whole page is searched only when one has none near.
  std::vector<std::pair<int64_t, int64_t>> nearest;  // pixel, region pixel
  bool near = true;
  for (size_t k = 0; k < strokes.pixels.size() && near; ++k) {
    const int64_t x = strokes.pixels[k] % width, y = strokes.pixels[k] / width;
    int64_t fromX = 0, fromY = 0;
    if (painted(x, y)) continue;
    near = flats::NearestRegionPixel(width, height, x, y, kNear, painted, fromX, fromY);
    nearest.emplace_back(strokes.pixels[k], fromY * width + fromX);
  }
  if (near) {
    for (const auto& [i, from] : nearest)
      for (int p = 0; p < planes; ++p) pixels.at(i % width, i / width, p) = pixels.at(from % width, from / width, p);
    return;
  }
  const flats::RegionMask regions = flats::ChangedPixels(asRead, pixels);
  // The pixels row by row, as the nearest-region visit goes.
  size_t next = 0;
  flats::VisitNearestRegionPixels(regions, [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
    for (; next < strokes.pixels.size() && strokes.pixels[next] / width <= y; ++next) {
      const int64_t x = strokes.pixels[next] % width;
      if (strokes.pixels[next] / width < y || regions.at(x, y)) continue;
      for (int p = 0; p < planes; ++p) pixels.at(x, y, p) = pixels.at(fromX[x], fromY[x], p);
    }
  });
}

}  // namespace tessel::pipeline
