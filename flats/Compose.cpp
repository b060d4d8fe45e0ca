#include "flats/Compose.h"

#include <stdexcept>

#include "flats/NearestRegion.h"
#include "flats/RowBands.h"

namespace tessel::flats {

bool FillUnderLines(const RegionMask& mask, host::ImageBuffer& flats, int colourPlanes) {
  RequireMatch(mask, flats, colourPlanes);
  if (mask.empty()) return false;
  // Only pixels outside the regions are written, and only region pixels are
  // read from, so bands of rows can be filled side by side.
  const NearestRowVisitor fill = [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
    for (int64_t a = mask.Next(0, y, false); a < mask.width(); a = mask.Next(a, y, false))
      for (const int64_t b = mask.Next(a, y, true); a < b; ++a)
        for (int p = 0; p < colourPlanes; ++p) flats.at(a, y, p) = flats.at(fromX[a], fromY[a], p);
  };
  InRowBands(mask.height(), [&](int64_t begin, int64_t end) { VisitNearestRegionPixels(mask, fill, begin, end); });
  return true;
}

void MultiplyOver(const host::ImageBuffer& page, host::ImageBuffer& flats, int colourPlanes) {
  if (page.width() != flats.width() || page.height() != flats.height() || page.planes() != flats.planes())
    throw std::invalid_argument("the page and the flats differ in size");
  if (colourPlanes < 1 || colourPlanes > flats.planes())
    throw std::invalid_argument("colour planes out of range");
  const int planes = flats.planes();
  const bool packed = page.columnBytes() == planes && flats.columnBytes() == planes && colourPlanes == planes;
  InRowBands(flats.height(), [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      if (packed) {
        // Every byte of an interleaved row without transparency: one loop the compiler vectorises.
        const uint8_t* over = page.data() + y * page.rowBytes();
        uint8_t* under = flats.data() + y * flats.rowBytes();
        const size_t bytes = static_cast<size_t>(flats.width() * planes);
        for (size_t i = 0; i < bytes; ++i) under[i] = MultiplyBytes(over[i], under[i]);
        continue;
      }
      for (int64_t x = 0; x < flats.width(); ++x)
        for (int p = 0; p < colourPlanes; ++p)
          flats.at(x, y, p) = MultiplyBytes(page.at(x, y, p), flats.at(x, y, p));
    }
  });
}

}  // namespace tessel::flats
