// The colours of a colour-swatch (.aco) file, handed out in a cycle.
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

// One swatch: the swatch format's colour-space id and four components in host
// byte order (Lab's a and b are signed values stored in the same bits).
class CPSPaletteColor {
 public:
  uint16_t colorSpace = 0;
  uint16_t components[4] = {0, 0, 0, 0};

  // The host colour-services space of this swatch's colour space, or -1.
  int16_t GetColorServicesSpace() const;
};

// Reads one 10-byte record as stored (big-endian); returns `in`.
std::istream& operator>>(std::istream& in, CPSPaletteColor& color);

class CPSPalette {
 public:
  CPSPalette() = default;
  // Reads the file's first section; never fails: faults leave fewer colours.
  explicit CPSPalette(const char* path);
  virtual ~CPSPalette() = default;

  bool IsEmpty() const { return mColors.empty(); }
  // Copies the next colour of the cycle into `color`; leaves it as it was
  // when the palette is empty.
  void GetNextColor(CPSPaletteColor& color);
  // Rewinds the cycle so the next colour handed out is the first.
  void PurgeColor(CPSPaletteColor& color);

  std::vector<CPSPaletteColor> mColors;
  size_t mCursor = 0;
};
