#include "host/ColorTransforms.h"

#include <lcms2.h>

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

std::optional<std::vector<DeviceColor>> ColorTransforms::ConvertAll(const std::vector<DeviceColor>& colors,
                                                                    DeviceSpace source, DeviceSpace target) {
  if (source == target) return colors;
  void* transform = Transform(source, target);
  if (!transform) return std::nullopt;
  // Packed as the transform's formats have them: a few doubles a colour.
  const size_t in = T_CHANNELS(FloatFormat(source)), out = T_CHANNELS(FloatFormat(target));
  std::vector<double> packed(colors.size() * in), converted(colors.size() * out);
  for (size_t i = 0; i < colors.size(); ++i)
    std::copy(colors[i].values.begin(), colors[i].values.begin() + static_cast<std::ptrdiff_t>(in),
              packed.begin() + static_cast<std::ptrdiff_t>(i * in));
  // A page's regions bring colours by the hundred thousand: shared among the
  // cores, as Little CMS lets threads share a transform (since 2.3 each call
  // keeps its own cache).
  constexpr int64_t kFewest = 8192;
  base::InRowBands(
      static_cast<int64_t>(colors.size()),
      [&](int64_t begin, int64_t end) {
        cmsDoTransform(transform, packed.data() + static_cast<size_t>(begin) * in,
                       converted.data() + static_cast<size_t>(begin) * out, static_cast<cmsUInt32Number>(end - begin));
      },
      kFewest);
  std::vector<DeviceColor> result(colors.size(), DeviceColor{target, {}});
  for (size_t i = 0; i < colors.size(); ++i)
    std::copy(converted.begin() + static_cast<std::ptrdiff_t>(i * out),
              converted.begin() + static_cast<std::ptrdiff_t>((i + 1) * out), result[i].values.begin());
  return result;
}

}  // namespace tessel::host
