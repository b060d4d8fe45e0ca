// The filter's regions as labels: the 4-connected components of the region
// mask. Distinct regions are never 4-adjacent, so each component is exactly
// one region the filter painted, in one colour.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ImageBuffer.h"
#include "flats/RegionMask.h"

namespace tessel::flats {

struct Region {
  int64_t firstX = 0;  // its first pixel in a row-major scan, where the filter seeded it
  int64_t firstY = 0;
  int64_t area = 0;  // pixels
  std::vector<uint8_t> colour;  // the filter's paint, the colour planes of the result
};

struct RegionMap {
  int64_t width = 0;
  int64_t height = 0;
  // Row-major, one per pixel: 0 outside every region, else 1 + the region's
  // index in `regions`.
  std::vector<int32_t> labels;
  // In the filter's order: by first pixel in a row-major scan.
  std::vector<Region> regions;

  int32_t at(int64_t x, int64_t y) const { return labels[static_cast<size_t>(y * width + x)]; }
};

// Labels the regions of `mask` and takes each one's colour from the first
// `colourPlanes` planes of `after`, the filter's result the mask was made
// from. Needs 5 bytes a pixel while it works, 4 after. Throws std::invalid_argument when the sizes
// differ or `colourPlanes` is not 1 to after.planes(), and std::length_error
// when a side exceeds what the labelling can address.
RegionMap MapRegions(const RegionMask& mask, const base::ImageBuffer& after, int colourPlanes);

}  // namespace tessel::flats
