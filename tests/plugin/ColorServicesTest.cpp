// Conversions through the host's colour services: what is asked, with which
// components, and what comes back.
#include <gtest/gtest.h>

#include "engine/PSPalette.h"
#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

class ColorServices : public ::testing::Test {
 protected:
  FilterOnPage rig{Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor};
  CPSFilter& filter = rig.filter;

  const ColorServicesInfo& OnlyRequest() {
    EXPECT_EQ(FakeColorServices::requests.size(), 1u);
    return FakeColorServices::requests.back();
  }
  static CPSPaletteColor Swatch(uint16_t space, uint16_t c0, uint16_t c1, uint16_t c2, uint16_t c3) {
    CPSPaletteColor color;
    color.colorSpace = space;
    color.components[0] = c0;
    color.components[1] = c1;
    color.components[2] = c2;
    color.components[3] = c3;
    return color;
  }
  // The components the host was handed for `swatch`.
  Bytes PassedFor(CPSPaletteColor swatch) {
    FakeColorServices::Reset();
    unsigned char out[4] = {};
    EXPECT_TRUE(filter.ConvertColor(swatch, out));
    const auto& c = OnlyRequest().colorComponents;
    return Bytes{uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), uint8_t(c[3])};
  }
  int16_t FirstPassedFor(CPSPaletteColor swatch) {
    FakeColorServices::Reset();
    unsigned char out[4] = {};
    filter.ConvertColor(swatch, out);
    return OnlyRequest().colorComponents[0];
  }
};

TEST_F(ColorServices, ImageModesChooseTheResultSpace) {
  const std::pair<int16_t, int16_t> expected[] = {
      {0, plugIncolorServicesRGBSpace},  {1, plugIncolorServicesGraySpace}, {2, plugIncolorServicesRGBSpace},
      {3, plugIncolorServicesRGBSpace},  {4, plugIncolorServicesCMYKSpace}, {5, plugIncolorServicesRGBSpace},
      {6, plugIncolorServicesHSBSpace},  {7, plugIncolorServicesRGBSpace},  {8, plugIncolorServicesRGBSpace},
      {9, plugIncolorServicesLabSpace},  {10, plugIncolorServicesRGBSpace}, {-3, plugIncolorServicesRGBSpace}};
  for (auto [mode, space] : expected) {
    rig.record.imageMode = mode;
    EXPECT_EQ(filter.GetPluginServicesSpace(), space) << "mode " << mode;
  }
}

TEST_F(ColorServices, SixteenBitRgbPassesItsHighBytes) {
  _t_ASRGBColor color{65535, 0x80FF, 0};
  unsigned char out[4] = {9, 9, 9, 9};
  ASSERT_TRUE(filter.ConvertColor(color, out));
  const ColorServicesInfo& info = OnlyRequest();
  EXPECT_EQ(info.infoSize, 56);
  EXPECT_EQ(info.selector, plugIncolorServicesConvertColor);
  EXPECT_EQ(info.sourceSpace, plugIncolorServicesRGBSpace);
  EXPECT_EQ(info.resultSpace, plugIncolorServicesRGBSpace);
  EXPECT_EQ(info.reservedSourceSpaceInfo, nullptr);
  EXPECT_EQ(info.reserved, nullptr);
  EXPECT_EQ(Of(out), (Bytes{255, 128, 0, 0}));
  EXPECT_EQ(color.green, 0x80FF);
}

TEST_F(ColorServices, CmykImageGetsCmykBytes) {
  rig.record.imageMode = plugInModeCMYKColor;
  _t_ASRGBColor white{65535, 65535, 65535};
  unsigned char out[4] = {};
  ASSERT_TRUE(filter.ConvertColor(white, out));
  EXPECT_EQ(OnlyRequest().resultSpace, plugIncolorServicesCMYKSpace);
  EXPECT_EQ(Of(out), (Bytes{255, 255, 255, 255}));
}

TEST_F(ColorServices, FailuresLeaveTheOutputAlone) {
  _t_ASRGBColor color{0, 0, 0};
  unsigned char out[4] = {1, 2, 3, 4};
  FakeColorServices::failWith = -1;
  EXPECT_FALSE(filter.ConvertColor(color, out));
  CPSPaletteColor swatch = Swatch(0, 0, 0, 0, 0);
  EXPECT_FALSE(filter.ConvertColor(swatch, out));
  EXPECT_FALSE(filter.LetUserPickColor(out, true));
  EXPECT_EQ(Of(out), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(FakeColorServices::requests.size(), 3u);
}

TEST_F(ColorServices, MissingColourServicesAreNeverCalled) {
  rig.record.colorServices = nullptr;
  _t_ASRGBColor color{0, 0, 0};
  CPSPaletteColor swatch = Swatch(0, 0, 0, 0, 0);
  unsigned char out[4] = {1, 2, 3, 4};
  EXPECT_FALSE(filter.ConvertColor(color, out));
  EXPECT_FALSE(filter.ConvertColor(swatch, out));
  EXPECT_FALSE(filter.LetUserPickColor(out, false));
  EXPECT_EQ(Of(out), (Bytes{1, 2, 3, 4}));
  EXPECT_TRUE(FakeColorServices::requests.empty());
}

TEST_F(ColorServices, SwatchSpacesMapToHostSpaces) {
  const int16_t expected[] = {0, 1, 2, -1, -1, -1, -1, 3, 4, -1, -1};
  for (uint16_t id = 0; id < 11; ++id) EXPECT_EQ(Swatch(id, 0, 0, 0, 0).GetColorServicesSpace(), expected[id]) << id;
  EXPECT_EQ(Swatch(65535, 0, 0, 0, 0).GetColorServicesSpace(), -1);
}

TEST_F(ColorServices, ColourBookSwatchesAreRefusedWithoutAsking) {
  CPSPaletteColor book = Swatch(3, 1, 2, 3, 4);
  unsigned char out[4] = {5, 6, 7, 8};
  EXPECT_FALSE(filter.ConvertColor(book, out));
  EXPECT_TRUE(FakeColorServices::requests.empty());
  EXPECT_EQ(Of(out), (Bytes{5, 6, 7, 8}));
}

TEST_F(ColorServices, SwatchComponentsAreScaledForTheHost) {
  EXPECT_EQ(PassedFor(Swatch(0, 0x1234, 0xABCD, 0xFF00, 0x7777)), (Bytes{18, 171, 255, 0}));
  EXPECT_EQ(PassedFor(Swatch(2, 0xFFFF, 0x0100, 0x00FF, 0x8000)), (Bytes{255, 1, 0, 128}));
  EXPECT_EQ(FirstPassedFor(Swatch(1, 65535, 0, 0, 0)), 360);
  EXPECT_EQ(FirstPassedFor(Swatch(1, 182, 0, 0, 0)), 1);
  EXPECT_EQ(PassedFor(Swatch(1, 0, 0x8000, 0xFF00, 0)), (Bytes{0, 128, 255, 0}));
  // Lab: lightness 0..10000 into 0..256, signed chrominance around 128.
  EXPECT_EQ(FirstPassedFor(Swatch(7, 10000, 0, 0, 0)), 256);
  EXPECT_EQ(PassedFor(Swatch(7, 10000, 0, 0, 0)), (Bytes{0, 128, 128, 0}));
  EXPECT_EQ(PassedFor(Swatch(7, 0, uint16_t(-12800), 12700, 0)), (Bytes{0, 0, 255, 0}));
  EXPECT_EQ(PassedFor(Swatch(7, 3900, uint16_t(-150), 150, 0)), (Bytes{100, 127, 129, 0}));
  EXPECT_EQ(OnlyRequest().sourceSpace, plugIncolorServicesLabSpace);
}

TEST_F(ColorServices, GreySwatchesAreInkCoverage) {
  // 0 is white paper, 10000 full black ink; the host's grey has 0 for black.
  EXPECT_EQ(FirstPassedFor(Swatch(8, 0, 0, 0, 0)), 255);
  EXPECT_EQ(FirstPassedFor(Swatch(8, 10000, 0, 0, 0)), 0);
  EXPECT_EQ(FirstPassedFor(Swatch(8, 5000, 0, 0, 0)), 128);
  EXPECT_EQ(FirstPassedFor(Swatch(8, 65535, 0, 0, 0)), 0);
  EXPECT_EQ(OnlyRequest().sourceSpace, plugIncolorServicesGraySpace);
}

TEST_F(ColorServices, PickerPresetsRgbAndAnswersInTheAskedSpace) {
  rig.record.imageMode = plugInModeCMYKColor;
  unsigned char color[4] = {10, 20, 30, 40};
  ASSERT_TRUE(filter.LetUserPickColor(color, false));
  const ColorServicesInfo& info = OnlyRequest();
  EXPECT_EQ(info.selector, plugIncolorServicesChooseColor);
  EXPECT_EQ(info.sourceSpace, plugIncolorServicesRGBSpace);
  EXPECT_EQ(info.resultSpace, plugIncolorServicesCMYKSpace);
  EXPECT_EQ(info.selectorParameter.pickerPrompt, nullptr);
  EXPECT_EQ(info.colorComponents[3], 40);
  EXPECT_EQ(Of(color), (Bytes{10, 20, 30, 255}));

  FakeColorServices::Reset();
  ASSERT_TRUE(filter.LetUserPickColor(color, true));
  EXPECT_EQ(OnlyRequest().resultSpace, plugIncolorServicesRGBSpace);
}

}  // namespace
}  // namespace tessel::testing
