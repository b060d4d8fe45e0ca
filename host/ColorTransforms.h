// Colour management between the host's device spaces with lcms2: sRGB and
// Lab (D50) are lcms2's built-in profiles, grey a built-in grey with the sRGB
// tone curve, CMYK an ICC profile from a file. Relative colorimetric intent
// with black point compensation, the editor's usual settings: the deepest
// press black and RGB black answer each other.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/ColorComponents.h"

namespace tessel::host {

// Ghostscript's SWOP press profile, from Debian's libgs-common.
constexpr const char* kDefaultCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

class ColorTransforms {
 public:
  // Opens the profiles. A CMYK profile that cannot be opened, or is not a
  // CMYK profile, only disables conversions to and from CMYK (see cmykError).
  explicit ColorTransforms(const std::string& cmykProfilePath = kDefaultCmykProfile);
  ~ColorTransforms();
  ColorTransforms(const ColorTransforms&) = delete;
  ColorTransforms& operator=(const ColorTransforms&) = delete;

  // Takes an image's own ICC profile for the RGB, grey or CMYK space,
  // whichever it describes. Answers why it cannot (unreadable, or of another
  // space), the profile before it staying in use; empty when taken.
  std::string UseImageProfile(const std::string& iccBytes);

  // `color` in `target`; nothing when no transform between the two can be
  // had. Transforms are built on first use and kept.
  std::optional<DeviceColor> Convert(const DeviceColor& color, DeviceSpace target);
  // The same for many colours of `source` at once, each converted as alone,
  // in place; false, the colours left as they were, when no transform
  // between the two can be had.
  bool ConvertAll(std::vector<DeviceColor>& colors, DeviceSpace source, DeviceSpace target);

  bool cmykAvailable() const { return mProfiles[Index(DeviceSpace::CMYK)] != nullptr; }
  // Why CMYK is unavailable; empty when it is available.
  const std::string& cmykError() const { return mCmykError; }

 private:
  static constexpr size_t kSpaces = 4;
  static size_t Index(DeviceSpace space) { return static_cast<size_t>(space); }
  void* Transform(DeviceSpace from, DeviceSpace to);

  std::array<void*, kSpaces> mProfiles{};
  std::array<std::array<void*, kSpaces>, kSpaces> mTransforms{};
  std::string mCmykError;
};

}  // namespace tessel::host
