#include "host/ColorServices.h"

#include <algorithm>

#include "host/HostResults.h"

namespace tessel::host {

namespace {

ColorServices* sCurrent = nullptr;

std::string PascalString(const Str255* text) {
  if (!text) return {};
  const unsigned char* bytes = *text;
  return std::string(reinterpret_cast<const char*>(bytes + 1), bytes[0]);
}

Components ToComponents(const int16_t (&in)[4]) { return {in[0], in[1], in[2], in[3]}; }

}  // namespace

ColorServices::ColorServices(FilterRecord& record, const std::string& cmykProfilePath)
    : mRecord(record), mTransforms(cmykProfilePath) {
  SetAvailable(true);
  MakeCurrent();
}

ColorServices::~ColorServices() {
  if (sCurrent == this) sCurrent = nullptr;
}

void ColorServices::MakeCurrent() { sCurrent = this; }

void ColorServices::SetAvailable(bool available) {
  mRecord.colorServices = available ? &ColorServices::Callback : nullptr;
}

OSErr ColorServices::Callback(ColorServicesInfo* info) {
  if (!sCurrent || !info) return kParamErr;
  return sCurrent->Serve(*info);
}

std::optional<Components> ColorServices::Convert(int16_t sourceSpace, const Components& in, int16_t resultSpace) {
  const auto converted = mTransforms.Convert(DecodeComponents(sourceSpace, in), DeviceSpaceOf(resultSpace));
  if (!converted) return std::nullopt;
  return EncodeComponents(resultSpace, *converted);
}

std::optional<RgbBytes> ColorServices::Pick(const PickRequest& request) {
  mPickRequests.push_back(request);
  if (!mScript.empty()) {
    const auto answer = mScript.front();
    mScript.pop_front();
    return answer;
  }
  return mPicker ? mPicker(request) : std::nullopt;
}

OSErr ColorServices::Serve(ColorServicesInfo& info) {
  if (info.infoSize < static_cast<int32_t>(sizeof(ColorServicesInfo))) return kParamErr;
  if (!IsColorServicesSpace(info.sourceSpace) || !IsColorServicesSpace(info.resultSpace)) return kParamErr;
  const Components source = ToComponents(info.colorComponents);

  std::optional<Components> result;
  if (info.selector == plugIncolorServicesConvertColor) {
    result = Convert(info.sourceSpace, source, info.resultSpace);
  } else if (info.selector == plugIncolorServicesChooseColor) {
    const auto preset = Convert(info.sourceSpace, source, plugIncolorServicesRGBSpace);
    if (!preset) return kParamErr;
    const RgbBytes presetBytes{static_cast<uint8_t>((*preset)[0]), static_cast<uint8_t>((*preset)[1]),
                               static_cast<uint8_t>((*preset)[2])};
    const auto chosen = Pick({presetBytes, PascalString(info.selectorParameter.pickerPrompt)});
    if (!chosen) return userCanceledErr;
    result = Convert(plugIncolorServicesRGBSpace, {(*chosen)[0], (*chosen)[1], (*chosen)[2], 0}, info.resultSpace);
  } else {
    return kParamErr;
  }
  if (!result) return kParamErr;

  std::copy(result->begin(), result->end(), info.colorComponents);
  info.resultGamutInfoValid = false;
  return noErr;
}

}  // namespace tessel::host
