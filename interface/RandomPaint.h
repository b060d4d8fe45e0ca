// Random paint colours as the filter draws them. The module draws from
// std::rand and the host, which reproduces its choices, from a generator of
// its own: the rule is shared, each side keeps its source.
#pragma once

#include <cstddef>
#include <cstdint>

// Each of the first three bytes below 192, lifted by 63 after a dark byte, so
// that a dark byte is followed by a light one and a light byte by a dark one;
// the shade carries the last byte over to the next colour. `Next` gives the
// source's next non-negative number when called.
template <class Next>
class AlternatingColors {
 public:
  // The first shade is the source's first draw.
  explicit AlternatingColors(Next next) : mNext(next), mShade(static_cast<int>(mNext() % 255)) {}

  // Draws the first three bytes of `color` (a byte array or std::array).
  template <class Bytes>
  void Draw(Bytes& color) {
    for (size_t k = 0; k < 3; ++k) {
      const int r = static_cast<int>(mNext() % 192);
      color[k] = static_cast<uint8_t>(mShade < 128 ? 63 + r : r);
      mShade = color[k];
    }
  }

 private:
  Next mNext;
  int mShade;
};
