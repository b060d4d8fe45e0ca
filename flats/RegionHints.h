// Colour hints: dabs and strokes of colour over a page, each region of the
// flats (the filter's region with the pixels under the lines given to it)
// taking the colour that most of its hint pixels have. A stroke across
// several regions colours each of them.
#pragma once

#include <cstdint>
#include <vector>

#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"

namespace tessel::flats {

// A page's hint pixels as runs of their rows, each run of one colour: dabs
// over transparency take a few runs a row, far less than a page of pixels.
struct HintRuns {
  struct Run {
    int32_t begin, end;  // columns [begin, end)
    int32_t colour;      // an index into the caller's colours
  };
  int64_t width = 0;
  int64_t height = 0;
  std::vector<size_t> rowStart{0};  // row y's runs are [rowStart[y], rowStart[y + 1]), left to right
  std::vector<Run> runs;

  int64_t rows() const { return static_cast<int64_t>(rowStart.size()) - 1; }
  // Row y's runs, `count` of them, after those of the rows above it: rows
  // are set top to bottom, and setting one again drops those below it.
  void SetRow(int64_t y, const Run* first, size_t count);
};

// Per region of `map` the colour of most of the hint pixels it holds, its
// own pixels and those under the lines nearest to it, or -1 for a region
// holding none. On a tie, the colour met first in a row-major scan of the
// region. The nearest region pixels of the hint pixels under the lines alone
// are searched for, in the region mask `map` was made from. Throws
// std::invalid_argument when `hints` or `mask` is not of the map's size.
std::vector<int32_t> MajorityHints(const RegionRuns& map, const RegionMask& mask, const HintRuns& hints);

}  // namespace tessel::flats
