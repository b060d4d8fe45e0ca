// colorServices as the filter calls it through the record: conversions in
// the pixel conventions of each mode, and the scripted colour picker.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <lcms2.h>

#include "host/ColorServices.h"
#include "host/HostResults.h"
#include "tests/support/ColorRequest.h"

namespace tessel::host {
namespace {

constexpr int16_t kRGB = plugIncolorServicesRGBSpace;
constexpr int16_t kHSB = plugIncolorServicesHSBSpace;
constexpr int16_t kCMYK = plugIncolorServicesCMYKSpace;
constexpr int16_t kLab = plugIncolorServicesLabSpace;
constexpr int16_t kGray = plugIncolorServicesGraySpace;

constexpr Components kWhite{255, 255, 255, 0};
constexpr Components kBlack{0, 0, 0, 0};

Components Result(const ColorServicesInfo& info) {
  return {info.colorComponents[0], info.colorComponents[1], info.colorComponents[2], info.colorComponents[3]};
}

int MaxDifference(const Components& a, const Components& b, int count) {
  int worst = 0;
  for (int i = 0; i < count; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

class HostColorServices : public ::testing::Test {
 protected:
  // Through the C callback, as the filter reaches it; fails the test on an error.
  Components Convert(int16_t from, const Components& in, int16_t to) {
    ColorServicesInfo info = test::ColorRequest(plugIncolorServicesConvertColor, from, in, to);
    EXPECT_EQ(record.colorServices(&info), noErr) << from << " -> " << to;
    return Result(info);
  }
  OSErr Pick(int16_t to, ColorServicesInfo& info, const Components& preset = {40, 80, 120, 0}) {
    info = test::ColorRequest(plugIncolorServicesChooseColor, kRGB, preset, to);
    return record.colorServices(&info);
  }

  FilterRecord record{};
  ColorServices services{record};
};

TEST_F(HostColorServices, WhiteInEverySpace) {
  EXPECT_EQ(Convert(kRGB, kWhite, kHSB), (Components{0, 0, 255, 0}));
  EXPECT_EQ(Convert(kRGB, kWhite, kCMYK), (Components{255, 255, 255, 255}));  // no ink at all
  EXPECT_EQ(Convert(kRGB, kWhite, kLab), (Components{255, 128, 128, 0}));
  EXPECT_EQ(Convert(kRGB, kWhite, kGray), (Components{255, 0, 0, 0}));
  for (int16_t space : {kHSB, kCMYK, kLab, kGray})
    EXPECT_EQ(Convert(space, Convert(kRGB, kWhite, space), kRGB), kWhite) << "from space " << space;
}

TEST_F(HostColorServices, BlackInEverySpace) {
  EXPECT_EQ(Convert(kRGB, kBlack, kHSB), (Components{0, 0, 0, 0}));
  EXPECT_EQ(Convert(kRGB, kBlack, kLab), (Components{0, 128, 128, 0}));
  EXPECT_EQ(Convert(kRGB, kBlack, kGray), (Components{0, 0, 0, 0}));
  // A rich press black: heavy ink everywhere, the black plate darkest.
  const Components ink = Convert(kRGB, kBlack, kCMYK);
  for (int i = 0; i < 3; ++i) EXPECT_LT(ink[i], 128) << "plate " << i;
  EXPECT_LT(ink[3], 60);
  EXPECT_LE(MaxDifference(Convert(kCMYK, ink, kRGB), kBlack, 3), 10);
}

TEST_F(HostColorServices, PrimariesKeepTheirCharacter) {
  const Components red{255, 0, 0, 0}, green{0, 255, 0, 0}, blue{0, 0, 255, 0};
  EXPECT_EQ(Convert(kRGB, red, kHSB), (Components{0, 255, 255, 0}));
  EXPECT_EQ(Convert(kRGB, green, kHSB), (Components{120, 255, 255, 0}));
  EXPECT_EQ(Convert(kRGB, blue, kHSB), (Components{240, 255, 255, 0}));

  // Red on press is magenta and yellow ink without cyan or black.
  const Components redInk = Convert(kRGB, red, kCMYK);
  EXPECT_GT(redInk[0], 240);
  EXPECT_LT(redInk[1], 20);
  EXPECT_LT(redInk[2], 20);
  EXPECT_GT(redInk[3], 240);

  // sRGB red is about L 54, a +81, b +70 under D50.
  EXPECT_LE(MaxDifference(Convert(kRGB, red, kLab), Components{138, 128 + 81, 128 + 70, 0}, 3), 2);
  EXPECT_LT(Convert(kRGB, blue, kLab)[2], 128 - 80);  // strongly negative b

  // Luminance orders the primaries: green, red, blue.
  const int16_t g = Convert(kRGB, green, kGray)[0], r = Convert(kRGB, red, kGray)[0], b = Convert(kRGB, blue, kGray)[0];
  EXPECT_GT(g, r);
  EXPECT_GT(r, b);
}

TEST_F(HostColorServices, GreyLevelsKeepTheirValue) {
  for (int16_t v = 0; v <= 255; v += 5) {
    EXPECT_EQ(Convert(kRGB, {v, v, v, 0}, kGray)[0], v);
    EXPECT_EQ(Convert(kGray, {v, 0, 0, 0}, kRGB), (Components{v, v, v, 0}));
  }
}

// A profile's ICC bytes, as an image file or GIMP carries them.
std::string IccBytes(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::string bytes(size, '\0');
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

TEST_F(HostColorServices, AnImagesOwnProfileServesItsSpaceAndAnUnusableOneIsRefused) {
  ASSERT_EQ(Convert(kRGB, {128, 128, 128, 0}, kGray)[0], 128);
  EXPECT_NE(services.UseImageProfile("not a profile"), "");
  EXPECT_NE(services.UseImageProfile(IccBytes(cmsCreateLab4Profile(nullptr))), "");
  EXPECT_EQ(Convert(kRGB, {128, 128, 128, 0}, kGray)[0], 128);

  // Linear grey: sRGB's middle grey is 21.6 % of white's light.
  cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
  const std::string grey = IccBytes(cmsCreateGrayProfile(cmsD50_xyY(), linear));
  cmsFreeToneCurve(linear);
  EXPECT_EQ(services.UseImageProfile(grey), "");
  EXPECT_NEAR(Convert(kRGB, {128, 128, 128, 0}, kGray)[0], 55, 1);
  EXPECT_EQ(Convert(kRGB, kWhite, kGray)[0], 255);
}

TEST_F(HostColorServices, ComponentsOutsideTheirRangeAreClamped) {
  // Lightness and grey 10000/39 = 256 arrive for full white.
  EXPECT_EQ(Convert(kLab, {256, 128, 128, 0}, kRGB), kWhite);
  EXPECT_EQ(Convert(kGray, {256, 0, 0, 0}, kRGB), kWhite);
  EXPECT_EQ(Convert(kHSB, {360, 255, 255, 0}, kRGB), (Components{255, 0, 0, 0}));
  EXPECT_EQ(Convert(kHSB, {400, 300, 300, 0}, kRGB), (Components{255, 0, 0, 0}));
  EXPECT_EQ(Convert(kRGB, {300, -5, 256, 7}, kRGB), (Components{255, 0, 255, 0}));
  EXPECT_EQ(Convert(kCMYK, {256, 256, 256, 256}, kRGB), kWhite);
  EXPECT_EQ(Convert(kLab, {0, -1, 300, 0}, kLab), (Components{0, 0, 255, 0}));
}

TEST_F(HostColorServices, RoundTripsStayClose) {
  for (int16_t r = 0; r <= 255; r += 51)
    for (int16_t g = 0; g <= 255; g += 51)
      for (int16_t b = 0; b <= 255; b += 51) {
        const Components rgb{r, g, b, 0};
        // One degree of hue moves a saturated channel by up to two steps.
        EXPECT_LE(MaxDifference(Convert(kHSB, Convert(kRGB, rgb, kHSB), kRGB), rgb, 3), 2);
        // Lab's integer steps are coarser than RGB's where one channel is near zero.
        const Components lab = Convert(kRGB, rgb, kLab);
        EXPECT_LE(MaxDifference(Convert(kRGB, Convert(kLab, lab, kRGB), kLab), lab, 3), 1);
      }
  // Press colours are a smaller gamut: a colour of light inks survives,
  // within what the profile's tables allow.
  for (int16_t c = 100; c <= 230; c += 26)
    for (int16_t m = 100; m <= 230; m += 26)
      for (int16_t y = 100; y <= 230; y += 26) {
        const Components pressRgb = Convert(kCMYK, {c, m, y, 255}, kRGB);
        EXPECT_LE(MaxDifference(Convert(kCMYK, Convert(kRGB, pressRgb, kCMYK), kRGB), pressRgb, 3), 5);
      }
}

TEST_F(HostColorServices, SameSpaceAnswersTheComponents) {
  const Components cmyk{10, 200, 30, 250};
  EXPECT_EQ(Convert(kCMYK, cmyk, kCMYK), cmyk);
  EXPECT_EQ(Convert(kHSB, {359, 1, 2, 0}, kHSB), (Components{359, 1, 2, 0}));
}

TEST_F(HostColorServices, BadRequestsLeaveTheComponentsUntouched) {
  const Components in{1, 2, 3, 4};
  ColorServicesInfo requests[] = {
      test::ColorRequest(2, kRGB, in, kLab),
      test::ColorRequest(plugIncolorServicesConvertColor, -1, in, kLab),
      test::ColorRequest(plugIncolorServicesConvertColor, kRGB, in, 5),
      test::ColorRequest(plugIncolorServicesConvertColor, kRGB, in, kLab),
  };
  requests[3].infoSize = 40;  // a record shorter than the host's
  for (ColorServicesInfo& info : requests) {
    EXPECT_EQ(record.colorServices(&info), kParamErr);
    EXPECT_EQ(Result(info), in);
  }
  EXPECT_EQ(record.colorServices(nullptr), kParamErr);
}

TEST_F(HostColorServices, PickerAnswersTheScriptedColour) {
  services.ScriptPick({255, 0, 0});
  services.ScriptPick({255, 255, 255});
  ColorServicesInfo info;
  ASSERT_EQ(Pick(kRGB, info), noErr);
  EXPECT_EQ(Result(info), (Components{255, 0, 0, 0}));
  // In another result space the pick is converted.
  ASSERT_EQ(Pick(kCMYK, info), noErr);
  EXPECT_EQ(Result(info), (Components{255, 255, 255, 255}));

  ASSERT_EQ(services.pickRequests().size(), 2u);
  EXPECT_EQ(services.pickRequests()[0].preset, (RgbBytes{40, 80, 120}));
  EXPECT_EQ(services.pickRequests()[0].prompt, "");
}

TEST_F(HostColorServices, CancelledPickLeavesTheComponentsUntouched) {
  services.ScriptCancel();
  ColorServicesInfo info;
  EXPECT_EQ(Pick(kRGB, info), userCanceledErr);
  EXPECT_EQ(Result(info), (Components{40, 80, 120, 0}));
  // Without a script or a window the user cannot choose either.
  EXPECT_EQ(Pick(kRGB, info), userCanceledErr);
}

TEST_F(HostColorServices, PickerWindowGetsPresetAndPrompt) {
  services.SetPicker([](const PickRequest& request) -> std::optional<RgbBytes> {
    return RgbBytes{request.preset[2], request.preset[1], request.preset[0]};
  });
  Str255 prompt{};
  prompt[0] = 4;
  std::memcpy(prompt + 1, "Fill", 4);
  ColorServicesInfo info = test::ColorRequest(plugIncolorServicesChooseColor, kGray, {255, 0, 0, 0}, kRGB);
  info.selectorParameter.pickerPrompt = &prompt;
  ASSERT_EQ(record.colorServices(&info), noErr);
  EXPECT_EQ(Result(info), kWhite);
  EXPECT_EQ(services.pickRequests().back().prompt, "Fill");
  EXPECT_EQ(services.pickRequests().back().preset, (RgbBytes{255, 255, 255}));
}

TEST_F(HostColorServices, CallbackCanBeLeftOut) {
  services.SetAvailable(false);
  EXPECT_EQ(record.colorServices, nullptr);
  services.SetAvailable(true);
  EXPECT_NE(record.colorServices, nullptr);
}

TEST(HostColorServicesProfiles, WithoutACmykProfileOnlyCmykFails) {
  for (const char* path : {"/nonexistent/press.icc", "/usr/share/color/icc/ghostscript/srgb.icc"}) {
    FilterRecord record{};
    ColorServices services(record, path);
    EXPECT_FALSE(services.transforms().cmykAvailable());
    EXPECT_NE(services.transforms().cmykError().find(path), std::string::npos);

    ColorServicesInfo toInk = test::ColorRequest(plugIncolorServicesConvertColor, kRGB, {1, 2, 3, 4}, kCMYK);
    EXPECT_EQ(record.colorServices(&toInk), kParamErr);
    EXPECT_EQ(Result(toInk), (Components{1, 2, 3, 4}));
    ColorServicesInfo toLab = test::ColorRequest(plugIncolorServicesConvertColor, kRGB, kWhite, kLab);
    EXPECT_EQ(record.colorServices(&toLab), noErr);
    EXPECT_EQ(Result(toLab), (Components{255, 128, 128, 0}));
  }
}

TEST(HostColorServicesProfiles, PackagedPressProfileIsFound) {
  FilterRecord record{};
  ColorServices services(record);
  EXPECT_TRUE(services.transforms().cmykAvailable()) << services.transforms().cmykError();
}

}  // namespace
}  // namespace tessel::host
