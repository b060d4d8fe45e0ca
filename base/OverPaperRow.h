// A row of line art on transparency laid over white paper (see OverPaper):
// the one loop behind both the decoder, which lays an ink layer read for
// flats over paper row by row as it decodes it, and the flats stage, which
// does it in place to a page handed over with its transparency.
#pragma once

#include <cstdint>

namespace tessel::base {

// What becomes of the transparency byte: dropped, for a page without that
// plane, or kept, opaque.
enum class Coverage { kDropped, kOpaque };

// Lays `width` pixels of `ink` (`colourPlanes` colour bytes, then their
// coverage) over white paper into `paper`, whose pixels hold the colour bytes
// and, with Coverage::kOpaque, an opaque transparency byte; `paper` may then
// be `ink` itself. Colour bytes are turned into the editor's convention by an
// exclusive-or with `toEditor` and back (0xFF for CMYK as files store it,
// 0 = no ink), so that paper is no ink in every mode.
void RowOverPaper(const uint8_t* ink, uint8_t* paper, int64_t width, int colourPlanes, Coverage coverage,
                  uint8_t toEditor = 0);

}  // namespace tessel::base
