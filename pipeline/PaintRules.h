// The filter's choice of paint colours, reproduced in the host from the
// run's parameters (as the filter recorded them) and the page's mode: which
// colours it may paint with, by the filter's own rules, and how colours reach
// the page's bytes, through the same conversions the host's colour services
// make for it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Descriptor.h"
#include "flats/DistinctColours.h"
#include "host/ColorTransforms.h"
#include "interface/FillTest.h"
#include "interface/SwatchFile.h"

namespace tessel::pipeline {

// What the run's record says, in the host's terms (sizes as the signed
// values the dialog and the command line give).
struct RunParameters {
  _t_ASRGBColor fill;
  _t_ASRGBColor flag;
  std::string palette;
  int32_t tolerance;
  bool random;
  bool byArea;
  bool flagAreas;
  bool joinAreas;
  int64_t flagSize;
  int64_t joinSize;
  bool antiAliased;
};

// The parameters in `recorded`; the filter's defaults for any item missing
// or of another type.
RunParameters ParametersOf(const base::Descriptor& recorded);

using PaintBytes = std::array<uint8_t, 4>;

class PaintRules {
 public:
  // `planes`: the page's planes, transparency included, as the filter sees them.
  PaintRules(int16_t imageMode, int planes, const RunParameters& parameters, host::ColorTransforms& transforms);

  // A colour as the filter would get it from the host; nothing when it cannot be converted.
  std::optional<PaintBytes> FromRgb(const _t_ASRGBColor& color);
  std::optional<PaintBytes> FromSwatch(const SwatchRecord& swatch);
  // A pixel's colour planes in an image of `imageMode` (grey, RGB, CMYK or
  // Lab, in the editor's conventions), as the filter would get it from the
  // host, as it gets a swatch of that space.
  std::optional<PaintBytes> FromPixel(int16_t imageMode, const PaintBytes& planes);
  // Whether the filter would paint with `color`: not too dark, and failing the
  // fill test as chosen and as painted (fourth byte 255).
  bool CanPaint(const PaintBytes& color) const;
  // The bytes painted: the fourth at 255, no black ink.
  static PaintBytes Painted(PaintBytes color);
  // CIE Lab of page bytes; nothing when the conversion cannot be had.
  std::optional<flats::Lab> ToLab(const PaintBytes& color);
  // The same for many colours at once, each one's as alone.
  std::vector<std::optional<flats::Lab>> ToLab(const std::vector<PaintBytes>& colors);
  // A random colour the filter's way (bytes alternating dark and light) that
  // may paint; nothing after many tries (a tolerance that takes in nearly all).
  std::optional<PaintBytes> DrawPaint(std::mt19937& random);

 private:
  std::optional<PaintBytes> Convert(int16_t space, const int16_t (&components)[4]);

  int16_t mMode;
  int16_t mSpace;
  FillTest mTest{};
  host::ColorTransforms& mTransforms;
  // Each grey level's Lab once converted: where neighbours cannot be kept
  // apart, a grey page's 256 colours are drawn and converted again and again.
  struct GreyLab {
    bool known = false;
    std::optional<flats::Lab> lab;
  };
  std::array<GreyLab, 256> mGreyLabs{};
};

// White paper in the editor's conventions: no ink in CMYK, a and b at zero in Lab.
std::vector<uint8_t> PaperWhite(int16_t imageMode, int colourPlanes);

}  // namespace tessel::pipeline
