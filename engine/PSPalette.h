// The colours of a colour-swatch (.aco) file, handed out in a cycle.
#pragma once

#include <cstdint>
#include <vector>

#include "interface/SwatchFile.h"

// One swatch as the file holds it.
class CPSPaletteColor : public SwatchRecord {
 public:
  // The host colour-services space of this swatch's colour space, or -1.
  int16_t GetColorServicesSpace() const;
};

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
