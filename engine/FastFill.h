// The flood fill and the search for its seeds over the host's buffer, with
// the block test compiled in for the common layouts (grey, RGB, CMYK and RGB
// with a fourth byte) on processors with SSSE3, called through a pointer else.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/PixelRegion.h"
#include "engine/ScanlineFill.h"

// Fills the region containing (x, y); answers `area` grown by what it painted.
// `firstOfRegion` as for ScanlineFill.
PaintedArea FloodRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4],
                        const PaintedArea& area, int64_t x, int64_t y, std::vector<FillSegment>& pending,
                        bool firstOfRegion);

// The scan's search for seeds, its block test made once and kept for as long
// as the test it is asked with stays the same.
class SeedSearch {
 public:
  SeedSearch(const PixelGeometry& geometry, const FillTest& test);
  ~SeedSearch();
  SeedSearch(const SeedSearch&) = delete;
  SeedSearch& operator=(const SeedSearch&) = delete;

  // The first x in from..to of row y whose pixel passes `test`; to + 1 when none.
  int64_t Find(const FillTest& test, int64_t from, int64_t to, int64_t y);

 private:
  struct Prepared;
  std::unique_ptr<Prepared> mPrepared;
};
