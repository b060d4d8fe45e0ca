// Colours as the filter hands them to the host's colour services: the source
// space and the components scaled into that space's ranges. The module asks
// its host so; our host, reproducing the module's colours, asks its own
// transforms alike.
#pragma once

#include <algorithm>
#include <cstdint>

#include "interface/PhotoshopHost.h"

struct ServicesColor {
  // Swatch colour spaces without a colour-services space (colour books).
  static constexpr int16_t kNoSpace = -1;

  // The host takes 8-bit components: the high byte of a 16-bit one.
  static int16_t HighByte(uint16_t component) { return static_cast<int16_t>(component >> 8); }

  // The components of a 16-bit RGB colour, in the RGB space.
  static void FromRgb(const _t_ASRGBColor& color, int16_t (&out)[4]) {
    out[0] = HighByte(color.red);
    out[1] = HighByte(color.green);
    out[2] = HighByte(color.blue);
    out[3] = 0;
  }

  // The colour-services space of a swatch file's colour-space id 0..8; kNoSpace for the rest.
  static int16_t SwatchSpace(uint16_t id) {
    constexpr int16_t kSpaces[9] = {
        plugIncolorServicesRGBSpace, plugIncolorServicesHSBSpace, plugIncolorServicesCMYKSpace, kNoSpace, kNoSpace,
        kNoSpace, kNoSpace, plugIncolorServicesLabSpace, plugIncolorServicesGraySpace,
    };
    return id < 9 ? kSpaces[id] : kNoSpace;
  }

  // The components of a swatch whose colour-services space is `space` (from
  // SwatchSpace): the swatch's 16-bit values in the ranges the host expects.
  static void FromSwatch(int16_t space, const uint16_t (&c)[4], int16_t (&out)[4]) {
    switch (space) {
      case plugIncolorServicesHSBSpace:
        out[0] = static_cast<int16_t>(c[0] / 182);  // hue in degrees
        out[1] = HighByte(c[1]);
        out[2] = HighByte(c[2]);
        out[3] = 0;
        break;
      case plugIncolorServicesCMYKSpace:
        for (int k = 0; k < 4; ++k) out[k] = HighByte(c[k]);
        break;
      case plugIncolorServicesLabSpace:
        out[0] = Lightness(c[0]);
        out[1] = Chrominance(c[1]);
        out[2] = Chrominance(c[2]);
        out[3] = 0;
        break;
      case plugIncolorServicesGraySpace:
        out[0] = GreyLevel(c[0]);
        out[1] = out[2] = out[3] = 0;
        break;
      default:  // RGB
        for (int k = 0; k < 3; ++k) out[k] = HighByte(c[k]);
        out[3] = 0;
        break;
    }
  }

 private:
  // Swatch lightness and grey are 0..10000; the host wants 0..255 (256 at the
  // very top, as the integer scale gives it).
  static int16_t Lightness(uint16_t stored) { return static_cast<int16_t>(stored / 39); }

  // Swatch files store grey as ink coverage (0 white, 10000 black); the host's
  // grey runs the other way (0 black).
  static int16_t GreyLevel(uint16_t coverage) {
    const int level = (10000 - static_cast<int>(coverage)) / 39;
    return static_cast<int16_t>(std::clamp(level, 0, 255));
  }

  // Lab's a and b are signed values stored in the same bits, in hundredths.
  static int16_t Chrominance(uint16_t stored) {
    return static_cast<int16_t>(static_cast<int16_t>(stored) / 100 + 128);
  }
};
