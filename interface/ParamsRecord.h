// The filter's parameters record: every setting of a run travels in it, and
// each store (preferences file, parameter block, scripting descriptor) and the
// dialog exchange it. Its layout is a stored format (the parameter block holds
// it byte for byte), so members keep their order and natural alignment.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interface/PhotoshopHost.h"

// 'TeSe' as a four-character code, zero-extended.
constexpr uint64_t kTesselSignature = 0x54655365;
constexpr uint16_t kTesselParamsVersion = 3;
constexpr size_t kPaletteNameSize = 256;

struct _STesselParams {
  uint64_t signature;
  uint16_t version;
  int8_t reserved;
  _t_ASRGBColor fillColor;
  char paletteName[kPaletteNameSize];
  uint16_t tolerance;
  int8_t reservedFlag;
  uint8_t randomColors;
  uint8_t measureByArea;
  uint8_t flagAreas;
  _t_ASRGBColor flagColor;
  uint64_t flagSize;
  uint8_t joinAreas;
  uint64_t joinSize;
  uint8_t paintAntiAliased;
};
