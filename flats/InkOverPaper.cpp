#include "flats/InkOverPaper.h"

#include "base/Multiply.h"
#include "base/OverPaperRow.h"
#include "base/RowBands.h"

namespace tessel::flats {

namespace {

// What compositing row `y` takes away, kept before it does.
void KeepRow(const base::ImageBuffer& page, int64_t y, InkRecord& kept) {
  const int colour = page.planes() - 1;
  uint8_t* transparency = kept.transparency.data() + y * page.width();
  for (int64_t x = 0; x < page.width(); ++x) {
    const uint8_t a = page.at(x, y, colour);
    transparency[x] = a;
    if (a != 0 && a != 255)
      for (int p = 0; p < colour; ++p) kept.partial[static_cast<size_t>(y)].push_back(page.at(x, y, p));
  }
}

// A page whose planes are not interleaved, pixel by pixel.
void PlanarRowOverPaper(base::ImageBuffer& page, int64_t y) {
  const int colour = page.planes() - 1;
  for (int64_t x = 0; x < page.width(); ++x) {
    const unsigned a = page.at(x, y, colour);
    for (int p = 0; p < colour; ++p) page.at(x, y, p) = base::OverPaper(page.at(x, y, p), a);
    page.at(x, y, colour) = 255;
  }
}

}  // namespace

void InkOverPaper(base::ImageBuffer& page, InkRecord* kept) {
  if (kept) {
    kept->transparency.assign(static_cast<size_t>(page.width() * page.height()), 0);
    kept->partial.assign(static_cast<size_t>(page.height()), {});
  }
  const bool interleaved = page.columnBytes() == page.planes();
  // Each row is its own: bands of them side by side.
  base::InRowBands(page.height(), [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      if (kept) KeepRow(page, y, *kept);
      uint8_t* row = page.data() + y * page.rowBytes();
      if (interleaved) base::RowOverPaper(row, row, page.width(), page.planes() - 1, base::Coverage::kOpaque);
      else PlanarRowOverPaper(page, y);
    }
  });
}

void RestoreInk(const InkRecord& kept, base::ImageBuffer& page) {
  const int colour = page.planes() - 1;
  base::InRowBands(page.height(), [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      const uint8_t* transparency = kept.transparency.data() + y * page.width();
      const uint8_t* partial = kept.partial[static_cast<size_t>(y)].data();
      for (int64_t x = 0; x < page.width(); ++x) {
        const uint8_t a = transparency[x];
        page.at(x, y, colour) = a;
        if (a == 255) continue;
        for (int p = 0; p < colour; ++p) page.at(x, y, p) = a == 0 ? 255 : *partial++;
      }
    }
  });
}

}  // namespace tessel::flats
