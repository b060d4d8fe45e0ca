// The colour-services component ranges, which match the editor's pixel bytes:
//   RGB   red, green, blue 0..255
//   HSB   hue 0..360 degrees (360 is red again), saturation, brightness 0..255
//   CMYK  cyan, magenta, yellow, black 0..255, 255 = no ink, 0 = full ink
//   Lab   L 0..255 for 0..100, a and b 0..255 with 128 as zero
//   Gray  0..255, 0 black, 255 white
// Components given outside a range are clamped into it; unused ones read 0.
#pragma once

#include <array>
#include <cstdint>

namespace tessel::host {

// The spaces colour management converts between; HSB is RGB rearranged.
enum class DeviceSpace { RGB, CMYK, Lab, Gray };

// A colour in lcms2's floating-point units: RGB and Gray 0..1, CMYK ink
// 0..100 per cent, Lab L 0..100 with a and b signed.
struct DeviceColor {
  DeviceSpace space;
  std::array<double, 4> values;
};

using Components = std::array<int16_t, 4>;

// Whether `space` is one of the five colour-services spaces.
bool IsColorServicesSpace(int16_t space);
DeviceSpace DeviceSpaceOf(int16_t space);

// Components of a colour-services space, clamped, as a device colour.
DeviceColor DecodeComponents(int16_t space, const Components& in);
// A device colour of DeviceSpaceOf(space) as rounded, clamped components.
Components EncodeComponents(int16_t space, const DeviceColor& color);

// Plain HSB arithmetic on unit values, hue in degrees [0, 360).
struct UnitRgb {
  double r, g, b;
};
struct Hsb {
  double hue, saturation, brightness;
};
UnitRgb HsbToRgb(const Hsb& hsb);
Hsb RgbToHsb(const UnitRgb& rgb);

}  // namespace tessel::host
