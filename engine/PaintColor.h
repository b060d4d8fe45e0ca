// Which colours may paint a region. A paint colour must fail the fill test,
// or the fill would never end, and must not be dark enough to pass for line
// art. Every chosen colour is painted with its fourth byte at 255 (no black
// ink in CMYK), so that form must fail the fill test too.
#pragma once

#include <cstdint>

#include "interface/FillTest.h"

// Whether `color` may paint, as chosen (darkness) and as painted (fourth byte 255).
bool CanPaint(const FillTest& test, const uint8_t (&color)[4], int16_t imageMode);

// Walks every colour a region could be painted in (the first min(planes, 3)
// bytes, fourth byte 255), starting at `color`, until one CanPaint. On success
// `color` holds it; false, `color` untouched, when no colour can paint at all.
bool FindPaintColor(const FillTest& test, int16_t imageMode, uint8_t (&color)[4]);
