// Line art on a layer of its own, black ink on transparency as editors
// export it, read for flats as the editor shows it: over white paper. What a
// fully transparent pixel's colour bytes hold is whatever the editor left
// there, and must not count; a flats layer is opaque by nature.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ImageBuffer.h"

namespace tessel::flats {

// What compositing takes away that a layer of the ink needs back: its
// transparency, and the colours of its partly transparent pixels, row by row
// in the order of their columns (those of opaque pixels are unchanged, and
// those of fully transparent ones are paper white, whatever they held).
struct InkRecord {
  std::vector<uint8_t> transparency;          // one byte a pixel, row-major
  std::vector<std::vector<uint8_t>> partial;  // per row
};

// Lays `page`'s colour planes over white paper by its last plane, its
// transparency, and makes that plane opaque: in place, in one pass, in bands
// of rows on every core. White is 255 in every plane: grey, RGB, and CMYK in
// the editor's convention (no ink). With `kept`, what the ink needs back is
// kept there.
void InkOverPaper(base::ImageBuffer& page, InkRecord* kept = nullptr);

// Gives `page`, composited by InkOverPaper (and possibly copied since),
// the ink's transparency and colours back from `kept`, with paper white under
// full transparency, so that ink whatever its editor left there comes back
// alike.
void RestoreInk(const InkRecord& kept, base::ImageBuffer& page);

}  // namespace tessel::flats
