// The flood fill over the host's buffer, with the block test compiled into
// the fill for the common layouts (grey, RGB, CMYK and RGB with a fourth
// byte) on processors with SSSE3, and called through a pointer otherwise.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/PixelRegion.h"
#include "engine/ScanlineFill.h"

// Fills the region containing (x, y); answers `area` grown by what it painted.
PaintedArea FloodRegion(const PixelGeometry& geometry, const FillTest& test, const uint8_t (&paint)[4],
                        PaintedArea area, int64_t x, int64_t y, std::vector<FillSegment>& pending);
