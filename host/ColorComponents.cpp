#include "host/ColorComponents.h"

#include <algorithm>
#include <cmath>

#include "interface/PhotoshopHost.h"

namespace tessel::host {

namespace {

double Clamped(int16_t value, int high) { return std::clamp<int>(value, 0, high); }

int16_t Rounded(double value, int high) {
  return static_cast<int16_t>(std::clamp<long>(std::lround(value), 0, high));
}

double Unit(int16_t byte) { return Clamped(byte, 255) / 255.0; }

int16_t Byte(double unit) { return Rounded(unit * 255.0, 255); }

}  // namespace

bool IsColorServicesSpace(int16_t space) {
  return space >= plugIncolorServicesRGBSpace && space <= plugIncolorServicesGraySpace;
}

DeviceSpace DeviceSpaceOf(int16_t space) {
  switch (space) {
    case plugIncolorServicesCMYKSpace:
      return DeviceSpace::CMYK;
    case plugIncolorServicesLabSpace:
      return DeviceSpace::Lab;
    case plugIncolorServicesGraySpace:
      return DeviceSpace::Gray;
    default:
      return DeviceSpace::RGB;
  }
}

DeviceColor DecodeComponents(int16_t space, const Components& in) {
  switch (space) {
    case plugIncolorServicesHSBSpace: {
      const UnitRgb rgb = HsbToRgb({Clamped(in[0], 360), Unit(in[1]), Unit(in[2])});
      return {DeviceSpace::RGB, {rgb.r, rgb.g, rgb.b, 0}};
    }
    case plugIncolorServicesCMYKSpace: {
      DeviceColor ink{DeviceSpace::CMYK, {}};
      for (size_t i = 0; i < 4; ++i) ink.values[i] = (1.0 - Unit(in[i])) * 100.0;
      return ink;
    }
    case plugIncolorServicesLabSpace:
      return {DeviceSpace::Lab, {Unit(in[0]) * 100.0, Clamped(in[1], 255) - 128.0, Clamped(in[2], 255) - 128.0, 0}};
    case plugIncolorServicesGraySpace:
      return {DeviceSpace::Gray, {Unit(in[0]), 0, 0, 0}};
    default:
      return {DeviceSpace::RGB, {Unit(in[0]), Unit(in[1]), Unit(in[2]), 0}};
  }
}

Components EncodeComponents(int16_t space, const DeviceColor& color) {
  const auto& v = color.values;
  switch (space) {
    case plugIncolorServicesHSBSpace: {
      const Hsb hsb = RgbToHsb({v[0], v[1], v[2]});
      // Rounding may reach 360, which is 0 again.
      return {static_cast<int16_t>(Rounded(hsb.hue, 360) % 360), Byte(hsb.saturation), Byte(hsb.brightness), 0};
    }
    case plugIncolorServicesCMYKSpace:
      return {Byte(1.0 - v[0] / 100.0), Byte(1.0 - v[1] / 100.0), Byte(1.0 - v[2] / 100.0), Byte(1.0 - v[3] / 100.0)};
    case plugIncolorServicesLabSpace:
      return {Byte(v[0] / 100.0), Rounded(v[1] + 128.0, 255), Rounded(v[2] + 128.0, 255), 0};
    case plugIncolorServicesGraySpace:
      return {Byte(v[0]), 0, 0, 0};
    default:
      return {Byte(v[0]), Byte(v[1]), Byte(v[2]), 0};
  }
}

UnitRgb HsbToRgb(const Hsb& hsb) {
  const double v = hsb.brightness;
  const double chroma = v * hsb.saturation;
  const double sector = std::fmod(hsb.hue, 360.0) / 60.0;
  const double x = chroma * (1.0 - std::fabs(std::fmod(sector, 2.0) - 1.0));
  const double m = v - chroma;
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(sector)) {
    case 0: r = chroma, g = x; break;
    case 1: r = x, g = chroma; break;
    case 2: g = chroma, b = x; break;
    case 3: g = x, b = chroma; break;
    case 4: r = x, b = chroma; break;
    default: r = chroma, b = x; break;
  }
  return {r + m, g + m, b + m};
}

Hsb RgbToHsb(const UnitRgb& rgb) {
  const double r = std::clamp(rgb.r, 0.0, 1.0), g = std::clamp(rgb.g, 0.0, 1.0), b = std::clamp(rgb.b, 0.0, 1.0);
  const double high = std::max({r, g, b});
  const double chroma = high - std::min({r, g, b});
  double hue = 0;
  if (chroma > 0) {
    if (high == r)
      hue = 60.0 * std::fmod((g - b) / chroma + 6.0, 6.0);
    else if (high == g)
      hue = 60.0 * ((b - r) / chroma + 2.0);
    else
      hue = 60.0 * ((r - g) / chroma + 4.0);
  }
  return {hue, high > 0 ? chroma / high : 0.0, high};
}

}  // namespace tessel::host
