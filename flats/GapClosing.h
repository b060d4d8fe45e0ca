// Closing strokes across the gaps of line art, found without the filter: the
// line art is thinned to a skeleton, and each end of it that points at other
// line within reach is joined to that line's skeleton by a straight stroke
// (after Fourey, Tschumperle and Revoy, "A Fast and Efficient Semi-guided
// Algorithm for Flat Coloring Line-arts", 2018). Lines are never thickened
// and closed outlines, having no ends, are never crossed: only a line that
// stops short of another is joined. A stroke that would shut in a pocket
// smaller than 4 x maxGap^2 pixels is left out: lines that close are letters
// side by side or a letter's bowl, not a shape with a gap.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ImageBuffer.h"

namespace tessel::flats {

// Non-zero where the page is line art: one plane, rows unpadded (a page's
// buffer, so that its zeroed pages come cheap).
struct LineMask {
  int64_t width = 0;
  int64_t height = 0;
  base::ImageBuffer line;
};

// The pixels of the strokes across gaps of at most `maxGap` pixels, as
// row-major indices, each once, in increasing order; they include the line
// pixels a stroke runs through from the middle of a line end to the middle of
// the line it points at. Strokes are 4-connected, so no fill passes one by 4-
// or 8-neighbours. None for `maxGap` < 1.
// Takes `mask` to work in.
std::vector<int64_t> ClosingStrokes(LineMask mask, int maxGap);

}  // namespace tessel::flats
