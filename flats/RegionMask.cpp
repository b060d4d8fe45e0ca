#include "flats/RegionMask.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tessel::flats {

bool RegionMask::empty() const {
  return std::find(inRegion.begin(), inRegion.end(), uint8_t{1}) == inRegion.end();
}

RegionMask ChangedPixels(const host::ImageBuffer& before, const host::ImageBuffer& after) {
  if (before.width() != after.width() || before.height() != after.height() || before.planes() != after.planes())
    throw std::invalid_argument("the page before and after the run differ in size");
  RegionMask mask{before.width(), before.height(), {}};
  mask.inRegion.resize(static_cast<size_t>(mask.width * mask.height));
  const int planes = before.planes();
  const bool packed = before.columnBytes() == planes && after.columnBytes() == planes;
  for (int64_t y = 0; y < mask.height; ++y) {
    uint8_t* out = mask.inRegion.data() + y * mask.width;
    if (packed) {
      // Interleaved, as pages are read: the common case, kept to plain loops.
      const uint8_t* a = before.data() + y * before.rowBytes();
      const uint8_t* b = after.data() + y * after.rowBytes();
      for (int64_t x = 0; x < mask.width; ++x, a += planes, b += planes) {
        uint8_t differs = 0;
        for (int p = 0; p < planes; ++p) differs |= static_cast<uint8_t>(a[p] != b[p]);
        out[x] = differs;
      }
      continue;
    }
    for (int64_t x = 0; x < mask.width; ++x) {
      uint8_t differs = 0;
      for (int p = 0; p < planes; ++p) differs |= static_cast<uint8_t>(before.at(x, y, p) != after.at(x, y, p));
      out[x] = differs;
    }
  }
  return mask;
}

void RequireMatch(const RegionMask& mask, const host::ImageBuffer& image, int colourPlanes) {
  if (mask.width != image.width() || mask.height != image.height())
    throw std::invalid_argument("the region mask and the image differ in size");
  if (colourPlanes < 1 || colourPlanes > image.planes())
    throw std::invalid_argument(std::to_string(colourPlanes) + " colour planes in an image of " +
                                std::to_string(image.planes()));
}

}  // namespace tessel::flats
