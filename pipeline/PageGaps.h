// Gap closing in a page run. The filter is shown the page with strokes across
// the gaps of its line art, in black, which every fill test refuses; after the
// run the strokes are taken out again, and the fill they covered takes the
// colour of its nearest region, so nothing is drawn into the result.
//
// What is line is decided from the pixel alone, by a darkness threshold: a
// pixel with a plane darker than mid-grey (black, or a strong colour; Lab:
// dark). The run's fill test is not consulted: the host may not know it (an
// action may leave it to the filter's stored settings), and either test
// refuses the middle of a line, which is all the search needs; a thin
// anti-aliased line is unbroken at mid-grey, where at near-black (where the
// anti-aliased test stops) it would fall into dots.
#pragma once

#include <cstdint>
#include <vector>

#include "flats/GapClosing.h"
#include "io/ImageFile.h"

namespace tessel::pipeline {

struct GapStrokes {
  std::vector<int64_t> pixels;     // row-major indices, increasing
  std::vector<uint8_t> originals;  // each pixel's colour planes before the stroke
  std::vector<flats::Closing::Pocket> pockets;
  bool empty() const { return pixels.empty(); }
};

// Finds the gaps of at most `maxGap` pixels in `page`'s line art and draws
// strokes across them, and over the fill they shut in between them, into its
// colour planes, returning what they covered.
GapStrokes CloseGaps(io::ImageFile& page, int maxGap);

// After the run: each pixel covered takes the colour of its nearest region
// (a pixel the filter painted, found against `asRead`, the page as the
// filter was given it), and each pocket of fill the colour of the region it
// was cut from; one left without any region gets its own colour back.
// `asRead` gets its colours back, so that it is the page as read for the
// flats.
void ReopenGaps(const GapStrokes& strokes, base::ImageBuffer& asRead, io::ImageFile& result);

// Gives the covered pixels of `asRead` and `result` their colours back, and
// the pockets of `result` their regions' colours, for the flats to colour the
// rest as they colour the lines. Were the strokes painted first, they would
// join the regions on either side of a gap into one where those happened to
// be painted alike.
void TakeOutStrokes(const GapStrokes& strokes, base::ImageBuffer& asRead, io::ImageFile& result);

}  // namespace tessel::pipeline
