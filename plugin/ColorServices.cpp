// Every colour the filter meets is turned into the image's channel bytes by the
// host; the plug-in only scales components into the ranges the host expects.
#include "engine/PSPalette.h"
#include "interface/ServicesColor.h"
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

}  // namespace

int16_t CPSPaletteColor::GetColorServicesSpace() const { return ServicesColor::SwatchSpace(colorSpace); }

int16_t CPSFilter::GetPluginServicesSpace() const {
  const int16_t mode = mFilterRecord ? mFilterRecord->imageMode : 0;
  return mode >= 1 && mode <= 9 ? kModeSpaces[mode - 1] : int16_t{plugIncolorServicesRGBSpace};
}

bool CPSFilter::ConvertColor(_t_ASRGBColor& color, unsigned char (&out)[4]) {
  ColorServicesInfo info =
      MakeRequest(plugIncolorServicesConvertColor, plugIncolorServicesRGBSpace, GetPluginServicesSpace());
  ServicesColor::FromRgb(color, info.colorComponents);
  return Ask(mFilterRecord, info, out);
}

bool CPSFilter::ConvertColor(CPSPaletteColor& color, unsigned char (&out)[4]) {
  const int16_t source = color.GetColorServicesSpace();
  if (source == ServicesColor::kNoSpace) return false;
  ColorServicesInfo info = MakeRequest(plugIncolorServicesConvertColor, source, GetPluginServicesSpace());
  ServicesColor::FromSwatch(source, color.components, info.colorComponents);
  return Ask(mFilterRecord, info, out);
}

bool CPSFilter::LetUserPickColor(unsigned char (&color)[4], bool rgbResult) {
  ColorServicesInfo info =
      MakeRequest(plugIncolorServicesChooseColor, plugIncolorServicesRGBSpace,
                  rgbResult ? int16_t{plugIncolorServicesRGBSpace} : GetPluginServicesSpace());
  for (int k = 0; k < 4; ++k) info.colorComponents[k] = color[k];
  return Ask(mFilterRecord, info, color);
}
