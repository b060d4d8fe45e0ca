// The editor's colorServices callback: conversions between RGB, HSB, CMYK,
// Lab and Gray (selector 1) and the colour picker (selector 0), in the
// component ranges of ColorComponents.h, written back as 16-bit components.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/ColorComponents.h"
#include "host/ColorTransforms.h"
#include "interface/PhotoshopHost.h"

namespace tessel::host {

using RgbBytes = std::array<uint8_t, 3>;

// One opening of the picker, as the filter asked for it.
struct PickRequest {
  RgbBytes preset;     // the source colour shown to the user, as RGB
  std::string prompt;  // empty for the host's own prompt
};

class ColorServices {
 public:
  // The chooser that a window supplies: the chosen colour, or nothing when
  // the user cancels.
  using Picker = std::function<std::optional<RgbBytes>(const PickRequest&)>;

  // Installs the callback into `record`, which must outlive this object.
  explicit ColorServices(FilterRecord& record, const std::string& cmykProfilePath = kDefaultCmykProfile);
  ~ColorServices();
  ColorServices(const ColorServices&) = delete;
  ColorServices& operator=(const ColorServices&) = delete;

  // Leaves colorServices out of the record (null), as a host without it would.
  void SetAvailable(bool available);

  // Scripted picks, answered in order before any picker: a colour, or the
  // user cancelling. With neither script nor picker the user cancels.
  void ScriptPick(const RgbBytes& answer) { mScript.emplace_back(answer); }
  void ScriptCancel() { mScript.emplace_back(std::nullopt); }
  void SetPicker(Picker picker) { mPicker = std::move(picker); }
  const std::vector<PickRequest>& pickRequests() const { return mPickRequests; }

  // Serves one request as the callback does: 0 with the result components,
  // userCanceledErr when the user cancels the picker, kParamErr for an
  // unknown selector or space or a conversion that cannot be made; the
  // components are untouched on every failure.
  OSErr Serve(ColorServicesInfo& info);

  const ColorTransforms& transforms() const { return mTransforms; }
  // See ColorTransforms::UseImageProfile.
  std::string UseImageProfile(const std::string& iccBytes) { return mTransforms.UseImageProfile(iccBytes); }

  // Makes this object the one the C callback answers from.
  void MakeCurrent();

 private:
  static OSErr Callback(ColorServicesInfo* info);
  std::optional<Components> Convert(int16_t sourceSpace, const Components& in, int16_t resultSpace);
  std::optional<RgbBytes> Pick(const PickRequest& request);

  FilterRecord& mRecord;
  ColorTransforms mTransforms;
  std::deque<std::optional<RgbBytes>> mScript;
  Picker mPicker;
  std::vector<PickRequest> mPickRequests;
};

}  // namespace tessel::host
