// Multiply blending of bytes where 255 is paper white: what the flats, the
// merged output and every layered file's composite are made with.
#pragma once

#include <cstdint>

namespace tessel::base {

// round(a * b / 255) for bytes, exactly, without a division: a * b / 255 is
// never halfway between two integers, as 255 is odd.
inline uint8_t MultiplyBytes(unsigned a, unsigned b) {
  const unsigned t = a * b + 128;
  return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

}  // namespace tessel::base
