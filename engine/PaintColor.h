// The last resort of the paint-colour choice, when neither palette nor random
// colours gave one that CanPaint (interface/FillTest.h).
#pragma once

#include <cstdint>

#include "interface/FillTest.h"

// Walks every colour a region could be painted in (the first min(planes, 3)
// bytes, fourth byte 255), starting at `color`, until one CanPaint. On success
// `color` holds it; false, `color` untouched, when no colour can paint at all.
bool FindPaintColor(const FillTest& test, int16_t imageMode, uint8_t (&color)[4]);
