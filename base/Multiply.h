// Multiply blending of bytes where 255 is paper white: what the flats, the
// merged output and every layered file's composite are made with; and a
// colour of some coverage laid over that paper.
#pragma once

#include <cstdint>

namespace tessel::base {

// round(a * b / 255) for bytes, exactly, without a division: a * b / 255 is
// never halfway between two integers, as 255 is odd.
inline uint8_t MultiplyBytes(unsigned a, unsigned b) {
  const unsigned t = a * b + 128;
  return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// Colour byte `c` with coverage (alpha) `a` over white paper, as an editor
// shows a layer over paper: round(c * a / 255 + 255 * (255 - a) / 255),
// exactly, as the paper's part is whole. Fully transparent is white whatever
// `c` holds; opaque is `c`.
inline uint8_t OverPaper(unsigned c, unsigned a) { return static_cast<uint8_t>(MultiplyBytes(c, a) + 255 - a); }

}  // namespace tessel::base
