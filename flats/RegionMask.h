// Which pixels the filter painted. Every pixel the filter changed belongs to
// one of its regions (a paint colour never passes the fill test), so the
// changed pixels are the regions, and every other pixel is line art or
// something the fill test refused.
#pragma once

#include <cstdint>
#include <vector>

#include "host/ImageBuffer.h"

namespace tessel::flats {

// One byte per pixel, row-major without padding: 1 in a region, 0 elsewhere.
struct RegionMask {
  int64_t width = 0;
  int64_t height = 0;
  std::vector<uint8_t> inRegion;

  const uint8_t* row(int64_t y) const { return inRegion.data() + y * width; }
  bool at(int64_t x, int64_t y) const { return inRegion[static_cast<size_t>(y * width + x)] != 0; }
  bool empty() const;  // no region pixel at all
};

// The pixels whose planes differ between the page as read and the filter's
// result. Throws std::invalid_argument when the two differ in width, height
// or planes; their layouts may differ.
RegionMask ChangedPixels(const host::ImageBuffer& before, const host::ImageBuffer& after);

// Throws std::invalid_argument unless `image` has the mask's size and
// `colourPlanes` is 1 to image.planes().
void RequireMatch(const RegionMask& mask, const host::ImageBuffer& image, int colourPlanes);

}  // namespace tessel::flats
