#include "pipeline/PaintRules.h"

#include <algorithm>
#include <functional>

#include "base/ParamItems.h"
#include "interface/RandomPaint.h"

namespace tessel::pipeline {

namespace {

int16_t SpaceOfMode(int16_t mode) {
  switch (mode) {
    case plugInModeGrayScale: return plugIncolorServicesGraySpace;
    case plugInModeCMYKColor: return plugIncolorServicesCMYKSpace;
    case plugInModeLabColor: return plugIncolorServicesLabSpace;
    default: return plugIncolorServicesRGBSpace;
  }
}

int16_t HighByte(uint16_t component) { return static_cast<int16_t>(component >> 8); }

// The swatch's components scaled as the filter hands them to the host.
std::optional<std::pair<int16_t, host::Components>> SwatchComponents(const SwatchRecord& swatch) {
  const auto& c = swatch.components;
  switch (swatch.colorSpace) {
    case 0:
      return std::pair{int16_t{plugIncolorServicesRGBSpace},
                       host::Components{HighByte(c[0]), HighByte(c[1]), HighByte(c[2]), 0}};
    case 1:
      return std::pair{int16_t{plugIncolorServicesHSBSpace},
                       host::Components{static_cast<int16_t>(c[0] / 182), HighByte(c[1]), HighByte(c[2]), 0}};
    case 2:
      return std::pair{int16_t{plugIncolorServicesCMYKSpace},
                       host::Components{HighByte(c[0]), HighByte(c[1]), HighByte(c[2]), HighByte(c[3])}};
    case 7: {
      const auto chroma = [](uint16_t v) { return static_cast<int16_t>(static_cast<int16_t>(v) / 100 + 128); };
      return std::pair{int16_t{plugIncolorServicesLabSpace},
                       host::Components{static_cast<int16_t>(c[0] / 39), chroma(c[1]), chroma(c[2]), 0}};
    }
    case 8:
      return std::pair{int16_t{plugIncolorServicesGraySpace},
                       host::Components{static_cast<int16_t>(std::clamp((10000 - int{c[0]}) / 39, 0, 255)), 0, 0, 0}};
    default: return std::nullopt;  // colour books
  }
}

}  // namespace

RunParameters ParametersOf(const base::Descriptor& recorded) {
  const _STesselParams r = base::params::RecordOf(recorded);
  return {r.fillColor,
          r.flagColor,
          std::string(r.paletteName),
          r.tolerance,
          r.randomColors != 0,
          r.measureByArea != 0,
          r.flagAreas != 0,
          r.joinAreas != 0,
          static_cast<int64_t>(r.flagSize),
          static_cast<int64_t>(r.joinSize),
          r.paintAntiAliased != 0};
}

PaintRules::PaintRules(int16_t imageMode, int planes, const RunParameters& parameters,
                       host::ColorTransforms& transforms)
    : mMode(imageMode), mSpace(SpaceOfMode(imageMode)), mTransforms(transforms) {
  mTest.planes = std::clamp(planes, 1, 4);
  mTest.antiAliased = parameters.antiAliased;
  const PaintBytes fill = FromRgb(parameters.fill).value_or(PaintBytes{});
  FillTest::SetRange(fill.data(), parameters.tolerance, mTest.planes, mTest.low, mTest.high);
}

std::optional<PaintBytes> PaintRules::Convert(int16_t space, const host::Components& components) {
  const auto converted = mTransforms.Convert(host::DecodeComponents(space, components), host::DeviceSpaceOf(mSpace));
  if (!converted) return std::nullopt;
  const host::Components out = host::EncodeComponents(mSpace, *converted);
  PaintBytes bytes{};
  for (size_t k = 0; k < 4; ++k) bytes[k] = static_cast<uint8_t>(out[k] & 0xFF);
  return bytes;
}

std::optional<PaintBytes> PaintRules::FromRgb(const _t_ASRGBColor& color) {
  return Convert(plugIncolorServicesRGBSpace, {HighByte(color.red), HighByte(color.green), HighByte(color.blue), 0});
}

std::optional<PaintBytes> PaintRules::FromSwatch(const SwatchRecord& swatch) {
  const auto source = SwatchComponents(swatch);
  if (!source) return std::nullopt;
  return Convert(source->first, source->second);
}

bool PaintRules::CanPaint(const PaintBytes& color) const { return ::CanPaint(mTest, color.data(), mMode); }

PaintBytes PaintRules::Painted(PaintBytes color) {
  color[3] = kNoBlackInk;
  return color;
}

std::optional<flats::Lab> PaintRules::ToLab(const PaintBytes& color) {
  const auto lab = mTransforms.Convert(
      host::DecodeComponents(mSpace, {color[0], color[1], color[2], color[3]}), host::DeviceSpace::Lab);
  if (!lab) return std::nullopt;
  return flats::Lab{lab->values[0], lab->values[1], lab->values[2]};
}

std::optional<PaintBytes> PaintRules::DrawPaint(std::mt19937& random) {
  constexpr int kTries = 100;
  AlternatingColors colors(std::ref(random));
  for (int t = 0; t < kTries; ++t) {
    PaintBytes color{0, 0, 0, kNoBlackInk};
    colors.Draw(color);
    if (CanPaint(color)) return color;
  }
  return std::nullopt;
}

}  // namespace tessel::pipeline
