// Every colour the filter meets is turned into the image's channel bytes by the
// host; the plug-in only scales components into the ranges the host expects.
#include <algorithm>

#include "engine/PSPalette.h"
#include "plugin/PSFilter.h"

namespace {

// Host space for each image mode 1..9; anything else converts into RGB.
constexpr int16_t kModeSpaces[9] = {
    plugIncolorServicesGraySpace,  // grayscale
    plugIncolorServicesRGBSpace,   // indexed
    plugIncolorServicesRGBSpace,   // RGB
    plugIncolorServicesCMYKSpace,  // CMYK
    plugIncolorServicesRGBSpace,   // HSL
    plugIncolorServicesHSBSpace,   // HSB
    plugIncolorServicesRGBSpace,   // multichannel
    plugIncolorServicesRGBSpace,   // duotone
    plugIncolorServicesLabSpace,   // Lab
};

// Host space for each swatch colour-space id 0..8; colour books have none.
constexpr int16_t kSwatchSpaces[9] = {
    plugIncolorServicesRGBSpace, plugIncolorServicesHSBSpace, plugIncolorServicesCMYKSpace, -1, -1, -1, -1,
    plugIncolorServicesLabSpace, plugIncolorServicesGraySpace,
};

constexpr int16_t kNoSpace = -1;

ColorServicesInfo MakeRequest(int16_t selector, int16_t sourceSpace, int16_t resultSpace) {
  ColorServicesInfo info{};
  info.infoSize = sizeof(ColorServicesInfo);
  info.selector = selector;
  info.sourceSpace = sourceSpace;
  info.resultSpace = resultSpace;
  info.selectorParameter.pickerPrompt = nullptr;
  return info;
}

// Calls the host; on success the low byte of each returned component goes to
// `out`. A host without colour services fails the call.
bool Ask(const FilterRecord* record, ColorServicesInfo& info, unsigned char (&out)[4]) {
  if (!record || !record->colorServices) return false;
  if (record->colorServices(&info) != noErr) return false;
  for (int k = 0; k < 4; ++k) out[k] = static_cast<unsigned char>(info.colorComponents[k] & 0xFF);
  return true;
}

// Swatch lightness and grey are 0..10000; the host wants 0..255 (256 at the
// very top, as the integer scale gives it).
int16_t Lightness(uint16_t stored) { return static_cast<int16_t>(stored / 39); }

// Swatch files store grey as ink coverage (0 white, 10000 black); the host's
// grey runs the other way (0 black).
int16_t GreyLevel(uint16_t coverage) {
  const int level = (10000 - static_cast<int>(coverage)) / 39;
  return static_cast<int16_t>(std::clamp(level, 0, 255));
}

int16_t Chrominance(uint16_t stored) { return static_cast<int16_t>(static_cast<int16_t>(stored) / 100 + 128); }

int16_t HighByte(uint16_t component) { return static_cast<int16_t>(component >> 8); }

}  // namespace

int16_t CPSPaletteColor::GetColorServicesSpace() const {
  return colorSpace < 9 ? kSwatchSpaces[colorSpace] : kNoSpace;
}

int16_t CPSFilter::GetPluginServicesSpace() const {
  const int16_t mode = mFilterRecord ? mFilterRecord->imageMode : 0;
  return mode >= 1 && mode <= 9 ? kModeSpaces[mode - 1] : int16_t{plugIncolorServicesRGBSpace};
}

bool CPSFilter::ConvertColor(_t_ASRGBColor& color, unsigned char (&out)[4]) {
  ColorServicesInfo info =
      MakeRequest(plugIncolorServicesConvertColor, plugIncolorServicesRGBSpace, GetPluginServicesSpace());
  info.colorComponents[0] = HighByte(color.red);
  info.colorComponents[1] = HighByte(color.green);
  info.colorComponents[2] = HighByte(color.blue);
  info.colorComponents[3] = 0;
  return Ask(mFilterRecord, info, out);
}

bool CPSFilter::ConvertColor(CPSPaletteColor& color, unsigned char (&out)[4]) {
  const int16_t source = color.GetColorServicesSpace();
  if (source == kNoSpace) return false;
  ColorServicesInfo info = MakeRequest(plugIncolorServicesConvertColor, source, GetPluginServicesSpace());
  const uint16_t* c = color.components;
  int16_t* in = info.colorComponents;
  switch (source) {
    case plugIncolorServicesHSBSpace:
      in[0] = static_cast<int16_t>(c[0] / 182);  // hue in degrees
      in[1] = HighByte(c[1]);
      in[2] = HighByte(c[2]);
      in[3] = 0;
      break;
    case plugIncolorServicesCMYKSpace:
      for (int k = 0; k < 4; ++k) in[k] = HighByte(c[k]);
      break;
    case plugIncolorServicesLabSpace:
      in[0] = Lightness(c[0]);
      in[1] = Chrominance(c[1]);
      in[2] = Chrominance(c[2]);
      in[3] = 0;
      break;
    case plugIncolorServicesGraySpace:
      in[0] = GreyLevel(c[0]);
      in[1] = in[2] = in[3] = 0;
      break;
    default:  // RGB
      for (int k = 0; k < 3; ++k) in[k] = HighByte(c[k]);
      in[3] = 0;
      break;
  }
  return Ask(mFilterRecord, info, out);
}

bool CPSFilter::LetUserPickColor(unsigned char (&color)[4], bool rgbResult) {
  ColorServicesInfo info =
      MakeRequest(plugIncolorServicesChooseColor, plugIncolorServicesRGBSpace,
                  rgbResult ? int16_t{plugIncolorServicesRGBSpace} : GetPluginServicesSpace());
  for (int k = 0; k < 4; ++k) info.colorComponents[k] = color[k];
  return Ask(mFilterRecord, info, color);
}
