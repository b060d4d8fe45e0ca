#include "pipeline/PaintRules.h"

#include <algorithm>
#include <functional>

#include "base/ParamItems.h"
#include "interface/RandomPaint.h"
#include "interface/ServicesColor.h"

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

std::optional<PaintBytes> PaintRules::Convert(int16_t space, const int16_t (&components)[4]) {
  const host::Components in{components[0], components[1], components[2], components[3]};
  const auto converted = mTransforms.Convert(host::DecodeComponents(space, in), host::DeviceSpaceOf(mSpace));
  if (!converted) return std::nullopt;
  const host::Components out = host::EncodeComponents(mSpace, *converted);
  PaintBytes bytes{};
  for (size_t k = 0; k < 4; ++k) bytes[k] = static_cast<uint8_t>(out[k] & 0xFF);
  return bytes;
}

std::optional<PaintBytes> PaintRules::FromRgb(const _t_ASRGBColor& color) {
  int16_t components[4];
  ServicesColor::FromRgb(color, components);
  return Convert(plugIncolorServicesRGBSpace, components);
}

std::optional<PaintBytes> PaintRules::FromSwatch(const SwatchRecord& swatch) {
  const int16_t space = ServicesColor::SwatchSpace(swatch.colorSpace);
  if (space == ServicesColor::kNoSpace) return std::nullopt;
  int16_t components[4];
  ServicesColor::FromSwatch(space, swatch.components, components);
  return Convert(space, components);
}

std::optional<PaintBytes> PaintRules::FromPixel(int16_t imageMode, const PaintBytes& planes) {
  const int16_t components[4] = {planes[0], planes[1], planes[2], planes[3]};
  return Convert(SpaceOfMode(imageMode), components);
}

bool PaintRules::CanPaint(const PaintBytes& color) const { return ::CanPaint(mTest, color.data(), mMode); }

PaintBytes PaintRules::Painted(PaintBytes color) {
  color[3] = kNoBlackInk;
  return color;
}

std::optional<flats::Lab> PaintRules::ToLab(const PaintBytes& color) {
  GreyLab* const grey = mSpace == plugIncolorServicesGraySpace ? &mGreyLabs[color[0]] : nullptr;
  if (grey && grey->known) return grey->lab;
  const auto converted = mTransforms.Convert(
      host::DecodeComponents(mSpace, {color[0], color[1], color[2], color[3]}), host::DeviceSpace::Lab);
  std::optional<flats::Lab> lab;
  if (converted) lab = flats::Lab{converted->values[0], converted->values[1], converted->values[2]};
  if (grey) *grey = {true, lab};
  return lab;
}

std::vector<std::optional<flats::Lab>> PaintRules::ToLab(const std::vector<PaintBytes>& colors) {
  std::vector<host::DeviceColor> decoded;
  decoded.reserve(colors.size());
  for (const PaintBytes& color : colors)
    decoded.push_back(host::DecodeComponents(mSpace, {color[0], color[1], color[2], color[3]}));
  const bool converted = mTransforms.ConvertAll(decoded, host::DeviceSpaceOf(mSpace), host::DeviceSpace::Lab);
  std::vector<std::optional<flats::Lab>> result(colors.size());
  for (size_t i = 0; converted && i < colors.size(); ++i)
    result[i] = flats::Lab{decoded[i].values[0], decoded[i].values[1], decoded[i].values[2]};
  return result;
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

std::vector<uint8_t> PaperWhite(int16_t imageMode, int colourPlanes) {
  std::vector<uint8_t> white(static_cast<size_t>(colourPlanes), 255);
  if (imageMode == plugInModeLabColor) white[1] = white[2] = 128;
  return white;
}

}  // namespace tessel::pipeline
