#include "host/ColorTransforms.h"

#include <lcms2.h>

#include <algorithm>

#include "base/RowBands.h"

namespace tessel::host {

namespace {

cmsHPROFILE CreateSrgbGrayProfile() {
  // The sRGB tone curve: y = ((x + 0.055) / 1.055)^2.4 above 0.04045, x / 12.92 below.
  const cmsFloat64Number srgbCurve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
  if (!curve) return nullptr;
  cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
  cmsFreeToneCurve(curve);
  return profile;
}

cmsUInt32Number FloatFormat(DeviceSpace space) {
  switch (space) {
    case DeviceSpace::CMYK:
      return TYPE_CMYK_DBL;
    case DeviceSpace::Lab:
      return TYPE_Lab_DBL;
    case DeviceSpace::Gray:
      return TYPE_GRAY_DBL;
    default:
      return TYPE_RGB_DBL;
  }
}

}  // namespace

ColorTransforms::ColorTransforms(const std::string& cmykProfilePath) {
  mProfiles[Index(DeviceSpace::RGB)] = cmsCreate_sRGBProfile();
  mProfiles[Index(DeviceSpace::Lab)] = cmsCreateLab4Profile(nullptr);
  mProfiles[Index(DeviceSpace::Gray)] = CreateSrgbGrayProfile();

  cmsHPROFILE cmyk = cmsOpenProfileFromFile(cmykProfilePath.c_str(), "r");
  if (!cmyk) {
    mCmykError = "cannot open the CMYK profile " + cmykProfilePath;
  } else if (cmsGetColorSpace(cmyk) != cmsSigCmykData) {
    mCmykError = cmykProfilePath + " is not a CMYK profile";
    cmsCloseProfile(cmyk);
  } else {
    mProfiles[Index(DeviceSpace::CMYK)] = cmyk;
  }
}

ColorTransforms::~ColorTransforms() {
  for (auto& row : mTransforms)
    for (void* transform : row)
      if (transform) cmsDeleteTransform(transform);
  for (void* profile : mProfiles)
    if (profile) cmsCloseProfile(profile);
}

std::string ColorTransforms::UseImageProfile(const std::string& iccBytes) {
  cmsHPROFILE profile = cmsOpenProfileFromMem(iccBytes.data(), static_cast<cmsUInt32Number>(iccBytes.size()));
  if (!profile) return "the image's colour profile cannot be read";
  const cmsColorSpaceSignature signature = cmsGetColorSpace(profile);
  if (signature != cmsSigRgbData && signature != cmsSigGrayData && signature != cmsSigCmykData) {
    cmsCloseProfile(profile);
    return "the image's colour profile is not an RGB, grey or CMYK profile";
  }
  const size_t space = Index(signature == cmsSigRgbData    ? DeviceSpace::RGB
                             : signature == cmsSigGrayData ? DeviceSpace::Gray
                                                           : DeviceSpace::CMYK);
  if (mProfiles[space]) cmsCloseProfile(mProfiles[space]);
  if (space == Index(DeviceSpace::CMYK)) mCmykError.clear();
  mProfiles[space] = profile;
  // Transforms built with the profile it replaces.
  for (size_t other = 0; other < kSpaces; ++other)
    for (void** transform : {&mTransforms[space][other], &mTransforms[other][space]})
      if (*transform) {
        cmsDeleteTransform(*transform);
        *transform = nullptr;
      }
  return {};
}

void* ColorTransforms::Transform(DeviceSpace from, DeviceSpace to) {
  void*& cached = mTransforms[Index(from)][Index(to)];
  if (!cached && mProfiles[Index(from)] && mProfiles[Index(to)])
    cached = cmsCreateTransform(mProfiles[Index(from)], FloatFormat(from), mProfiles[Index(to)], FloatFormat(to),
                                INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION);
  return cached;
}

std::optional<DeviceColor> ColorTransforms::Convert(const DeviceColor& color, DeviceSpace target) {
  if (color.space == target) return color;
  void* transform = Transform(color.space, target);
  if (!transform) return std::nullopt;
  DeviceColor result{target, {}};
  cmsDoTransform(transform, color.values.data(), result.values.data(), 1);
  return result;
}

bool ColorTransforms::ConvertAll(std::vector<DeviceColor>& colors, DeviceSpace source, DeviceSpace target) {
  if (source == target) return true;
  void* transform = Transform(source, target);
  if (!transform) return false;
  const size_t in = T_CHANNELS(FloatFormat(source)), out = T_CHANNELS(FloatFormat(target));
  // A page's regions bring colours by the hundred thousand: shared among the
  // cores, as Little CMS lets threads share a transform (since 2.3 each call
  // keeps its own cache).
  base::InRowBands(
      static_cast<int64_t>(colors.size()),
      [&](int64_t begin, int64_t end) {
        // Packed as the transform's formats have them, a slice at a time:
        // copies of the whole list would be fresh memory at the run's peak.
        constexpr size_t kSlice = 1024;
        std::vector<double> packed(kSlice * in), converted(kSlice * out);
        for (auto first = static_cast<size_t>(begin); first < static_cast<size_t>(end); first += kSlice) {
          DeviceColor* const slice = colors.data() + first;
          const size_t count = std::min(kSlice, static_cast<size_t>(end) - first);
          for (size_t i = 0; i < count; ++i) std::copy_n(slice[i].values.begin(), in, packed.begin() + i * in);
          cmsDoTransform(transform, packed.data(), converted.data(), static_cast<cmsUInt32Number>(count));
          for (size_t i = 0; i < count; ++i) {
            slice[i] = DeviceColor{target, {}};
            std::copy_n(converted.begin() + i * out, out, slice[i].values.begin());
          }
        }
      },
      base::kFewestItemsABand);
  return true;
}

}  // namespace tessel::host
