#include "flats/Compose.h"

#include <initializer_list>
#include <stdexcept>

#include "base/RowBands.h"
#include "flats/NearestRegion.h"

namespace tessel::flats {

bool FillUnderLines(const RegionMask& mask, base::ImageBuffer& flats, int colourPlanes) {
  RequireMatch(mask, flats, colourPlanes);
  if (mask.empty()) return false;
  // Only pixels outside the regions are written, and only region pixels are
  // read from, so bands of rows can be filled side by side.
  base::InRowBands(mask.height(),
                   [&](int64_t begin, int64_t end) { FillUnderLines(mask, flats, colourPlanes, begin, end); });
  return true;
}

void FillUnderLines(const RegionMask& mask, base::ImageBuffer& flats, int colourPlanes, int64_t firstRow,
                    int64_t endRow) {
  RequireMatch(mask, flats, colourPlanes);
  const NearestRowVisitor fill = [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
    for (int64_t a = mask.Next(0, y, false); a < mask.width(); a = mask.Next(a, y, false))
      for (const int64_t b = mask.Next(a, y, true); a < b; ++a)
        for (int p = 0; p < colourPlanes; ++p) flats.at(a, y, p) = flats.at(fromX[a], fromY[a], p);
  };
  VisitNearestRegionPixels(mask, fill, firstRow, endRow);
}

void MultiplyOver(const base::ImageBuffer& page, base::ImageBuffer& flats, int colourPlanes) {
  base::InRowBands(flats.height(),
             [&](int64_t begin, int64_t end) { MultiplyOver(page, flats, flats, colourPlanes, begin, end); });
}

void MultiplyOver(const base::ImageBuffer& page, const base::ImageBuffer& flats, base::ImageBuffer& out,
                  int colourPlanes, int64_t firstRow, int64_t endRow) {
  for (const base::ImageBuffer* other : std::initializer_list<const base::ImageBuffer*>{&flats, &out})
    if (page.width() != other->width() || page.height() != other->height() || page.planes() != other->planes())
      throw std::invalid_argument("the page and the flats differ in size");
  if (colourPlanes < 1 || colourPlanes > flats.planes())
    throw std::invalid_argument("colour planes out of range");
  const int planes = flats.planes();
  const bool packed = page.columnBytes() == planes && flats.columnBytes() == planes && out.columnBytes() == planes &&
                      colourPlanes == planes;
  for (int64_t y = firstRow; y < endRow; ++y) {
    if (packed) {
      // Every byte of an interleaved row without transparency: one loop the compiler vectorises.
      const uint8_t* over = page.data() + y * page.rowBytes();
      const uint8_t* under = flats.data() + y * flats.rowBytes();
      uint8_t* merged = out.data() + y * out.rowBytes();
      const size_t bytes = static_cast<size_t>(flats.width() * planes);
      for (size_t i = 0; i < bytes; ++i) merged[i] = base::MultiplyBytes(over[i], under[i]);
      continue;
    }
    for (int64_t x = 0; x < flats.width(); ++x) {
      for (int p = 0; p < colourPlanes; ++p) out.at(x, y, p) = base::MultiplyBytes(page.at(x, y, p), flats.at(x, y, p));
      for (int p = colourPlanes; p < planes; ++p) out.at(x, y, p) = flats.at(x, y, p);
    }
  }
}

}  // namespace tessel::flats
