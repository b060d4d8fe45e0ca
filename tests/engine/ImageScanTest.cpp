// The fill range, the paint-colour rules, the choice of colours and the scan.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/PSPalette.h"
#include "engine/PaintColor.h"
#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

constexpr Bytes kWhite{255, 255, 255, 0};  // as Get reads a three-plane page
constexpr Bytes kBlack{0, 0, 0, 0};

// ---- Host callbacks the scan reports to

std::vector<std::pair<int32_t, int32_t>> sProgress;
int sAbortCalls = 0;
int sAbortAfter = -1;  // answers true on this call (1-based); never when -1

void Progress(int32_t done, int32_t total) { sProgress.emplace_back(done, total); }
Boolean Abort() { return ++sAbortCalls == sAbortAfter; }

class Scan : public ::testing::Test {
 protected:
  void SetUp() override {
    sProgress.clear();
    sAbortCalls = 0;
    sAbortAfter = -1;
    std::srand(7);
  }

  // A white page cut by black lines into boxes: `widths` across, `heights` down,
  // each box followed by a one-pixel line.
  static Page Boxes(const std::vector<int64_t>& widths, const std::vector<int64_t>& heights, int planes = 3) {
    int64_t width = 0, height = 0;
    for (int64_t w : widths) width += w + 1;
    for (int64_t h : heights) height += h + 1;
    Page page(width, height, planes, Layout::kInterleaved);
    auto ink = [&](int64_t x, int64_t y) {
      for (int k = 0; k < planes; ++k) page.at(x, y, k) = 0;
    };
    int64_t edge = -1;
    for (int64_t w : widths)
      for (int64_t y = 0, x = edge += w + 1; y < height; ++y) ink(x, y);
    edge = -1;
    for (int64_t h : heights)
      for (int64_t x = 0, y = edge += h + 1; x < width; ++x) ink(x, y);
    return page;
  }

  // The tolerance form of the fill test around white.
  static void UseTolerance(FilterOnPage& rig, uint16_t tolerance) {
    CTesselParams params;
    params.paintAntiAliased = 0;
    params.tolerance = tolerance;
    rig.Prepare(params);
  }

  static int16_t Run(FilterOnPage& rig, CTesselParams& params, bool& found) {
    rig.Prepare(params);
    return rig.filter.ScanImage(params, found);
  }

  // A scan expected to succeed; whether it found a region.
  static bool Scanned(FilterOnPage& rig, CTesselParams& params) {
    bool found = false;
    EXPECT_EQ(Run(rig, params, found), noErr);
    return found;
  }
};

// ---- Fill range and paint-colour check

TEST_F(Scan, ToleranceWidensTheFillRangeWithoutWrapping) {
  FilterOnPage rig(Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor);
  // Only the tested planes have bounds.
  auto range = [&rig] {
    const uint8_t* low = rig.filter.mFillLow;
    const uint8_t* high = rig.filter.mFillHigh;
    return std::vector<int>{low[0], low[1], low[2], high[0], high[1], high[2]};
  };
  _t_ASRGBColor white{65535, 65535, 65535};
  rig.filter.SetFillColor(white, 10);
  EXPECT_EQ(range(), (std::vector<int>{245, 245, 245, 255, 255, 255}));
  _t_ASRGBColor mixed{0x1000, 0x8000, 0xF000};
  rig.filter.SetFillColor(mixed, 300);
  EXPECT_EQ(range(), (std::vector<int>{0, 0, 0, 255, 255, 255}));
  rig.filter.SetFillColor(mixed, 0);
  EXPECT_EQ(range(), (std::vector<int>{0x10, 0x80, 0xF0, 0x10, 0x80, 0xF0}));
}

TEST_F(Scan, PaintColourMustFailTheFillTestAndNotBeDark) {
  FilterOnPage rig(Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor);
  rig.filter.mPaintAA = true;
  rig.SetPaint({252, 253, 251, 0});  // near white: looks like fill
  EXPECT_FALSE(rig.filter.ValidatePaintColor(true));
  rig.SetPaint({90, 10, 0, 0});
  EXPECT_FALSE(rig.filter.ValidatePaintColor(false));
  EXPECT_TRUE(rig.filter.ValidatePaintColor(true));
  rig.SetPaint({91, 10, 0, 0});
  EXPECT_TRUE(rig.filter.ValidatePaintColor(false));

  FilterOnPage cmyk(Page(1, 1, 4, Layout::kInterleaved), plugInModeCMYKColor);
  cmyk.filter.mPaintAA = true;
  cmyk.SetPaint({255, 0, 255, 199});
  EXPECT_FALSE(cmyk.filter.ValidatePaintColor(false));
  cmyk.SetPaint({0, 0, 0, 200});
  EXPECT_TRUE(cmyk.filter.ValidatePaintColor(false));
}

// ---- Choosing colours

TEST_F(Scan, RandomColoursAreUsableAndCarryNoBlackInk) {
  FilterOnPage rig(Page(1, 1, 4, Layout::kInterleaved), plugInModeCMYKColor);
  CTesselParams params;
  rig.Prepare(params);
  for (int i = 0; i < 200; ++i) {
    rig.filter.NextColor();
    EXPECT_EQ(rig.filter.mPaintColor[3], 255);
    EXPECT_TRUE(rig.filter.ValidatePaintColor(false)) << i;
  }
}

TEST_F(Scan, PaletteColoursComeInTurnAndUnusableOnesAreSkipped) {
  FilterOnPage rig(Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor);
  CTesselParams params;
  rig.Prepare(params);
  CPSPalette palette;
  const uint16_t swatches[][3] = {{0xFF00, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}, {0, 0x8000, 0}, {0x2000, 0x2000, 0x2000}};
  for (auto& rgb : swatches) palette.mColors.push_back(CPSPaletteColor{0, {rgb[0], rgb[1], rgb[2], 0}});
  rig.filter.mPalette = &palette;
  std::vector<Bytes> chosen;
  for (int i = 0; i < 3; ++i) {
    rig.filter.NextColor();
    chosen.push_back(Of(rig.filter.mPaintColor));
  }
  rig.filter.mPalette = nullptr;
  // White looks like fill and dark grey is too dark: both are passed over.
  EXPECT_EQ(chosen, (std::vector<Bytes>{{255, 0, 0, 255}, {0, 128, 0, 255}, {255, 0, 0, 255}}));
}

TEST_F(Scan, UselessPaletteFallsBackToRandomAfterTenSwatches) {
  FilterOnPage rig(Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor);
  CTesselParams params;
  rig.Prepare(params);
  CPSPalette palette;
  for (int i = 0; i < 25; ++i) palette.mColors.push_back(CPSPaletteColor{0, {0xFFFF, 0xFFFF, 0xFFFF, 0}});
  rig.filter.mPalette = &palette;
  rig.filter.NextColor();
  EXPECT_EQ(palette.mCursor, 10u);
  EXPECT_TRUE(rig.filter.ValidatePaintColor(false));
  rig.filter.NextColor();
  EXPECT_EQ(palette.mCursor, 20u);
  rig.filter.mPalette = nullptr;
}

TEST_F(Scan, CmykSwatchThatWouldPassAsFillOnceInkFreeIsRefused) {
  // (250, 250, 250, 220) fails the white fill test only by its black byte;
  // painted without black ink it would be fill again and the fill never ends.
  FilterOnPage rig(Page(1, 1, 4, Layout::kInterleaved), plugInModeCMYKColor);
  UseTolerance(rig, 10);
  CPSPalette palette;
  palette.mColors.push_back(CPSPaletteColor{2, {250 << 8, 250 << 8, 250 << 8, 220 << 8}});
  rig.filter.mPalette = &palette;
  rig.filter.NextColor();
  rig.filter.mPalette = nullptr;
  EXPECT_NE(Of(rig.filter.mPaintColor), (Bytes{250, 250, 250, 255}));
  EXPECT_TRUE(rig.filter.ValidatePaintColor(false));
}

TEST_F(Scan, ExhaustedRandomBudgetFallsBackToAUsableColour) {
  // Tolerance 254 leaves only colours with a zero byte (and a byte above 90)
  // out of the fill range: random draws rarely hit one.
  FilterOnPage rig(Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor);
  UseTolerance(rig, 254);
  for (int i = 0; i < 300; ++i) {
    rig.filter.NextColor();
    ASSERT_TRUE(rig.filter.ValidatePaintColor(false)) << i;
  }
}

TEST(PaintColorSearch, FindsAColourExactlyWhenOneExists) {
  FillTest grey{1, true, {}, {}};
  uint8_t color[4] = {7, 7, 7, 7};
  EXPECT_FALSE(FindPaintColor(grey, plugInModeGrayScale, color));
  EXPECT_EQ(Of(color), (Bytes{7, 7, 7, 7}));
  FillTest everything{3, false, {0, 0, 0, 0}, {255, 255, 255, 255}};
  EXPECT_FALSE(FindPaintColor(everything, plugInModeRGBColor, color));
  // Grey without anti-aliasing: only levels 91..244 are neither fill nor dark.
  FillTest greyTolerance{1, false, {245}, {255}};
  uint8_t level[4] = {250, 0, 0, 0};
  ASSERT_TRUE(FindPaintColor(greyTolerance, plugInModeGrayScale, level));
  EXPECT_EQ(level[0], 91);
  // CMYK: found colours carry no black ink.
  FillTest cmyk{4, true, {}, {}};
  uint8_t ink[4] = {0, 0, 0, 0};
  ASSERT_TRUE(FindPaintColor(cmyk, plugInModeCMYKColor, ink));
  EXPECT_EQ(ink[3], 255);
}

// ---- The scan

TEST_F(Scan, EveryRegionGetsItsOwnColourAndProgressIsReportedPerRow) {
  FilterOnPage rig(Boxes({3, 4}, {2, 2}), plugInModeRGBColor);
  rig.record.progressProc = Progress;
  rig.record.abortProc = Abort;
  CTesselParams params;
  EXPECT_TRUE(Scanned(rig, params));
  const Bytes regions[] = {rig.Get(0, 0), rig.Get(4, 0), rig.Get(0, 3), rig.Get(4, 3)};
  for (const Bytes& colour : regions) {
    EXPECT_NE(colour, kWhite);
    EXPECT_NE(colour, kBlack);
  }
  EXPECT_EQ(rig.Get(2, 1), regions[0]);
  EXPECT_EQ(rig.Get(7, 4), regions[3]);
  EXPECT_EQ(rig.Get(3, 0), kBlack);
  ASSERT_EQ(sProgress.size(), 6u);
  EXPECT_EQ(sProgress.front(), std::make_pair(1, 6));
  EXPECT_EQ(sProgress.back(), std::make_pair(6, 6));
  EXPECT_EQ(sAbortCalls, 6);
}

TEST_F(Scan, PageWithoutFillOrWithoutRowsFindsNothing) {
  FilterOnPage rig(Boxes({0}, {0}), plugInModeRGBColor);
  rig.record.progressProc = Progress;
  CTesselParams params;
  bool found = true;
  EXPECT_EQ(Run(rig, params, found), noErr);
  EXPECT_FALSE(found);
  EXPECT_EQ(sProgress.size(), 1u);

  rig.record.outRect.bottom = 0;
  sProgress.clear();
  found = true;
  EXPECT_EQ(Run(rig, params, found), noErr);
  EXPECT_FALSE(found);
  EXPECT_TRUE(sProgress.empty());
}

TEST_F(Scan, AbortAtTheLastRowStillAnswersCancelled) {
  FilterOnPage rig(Boxes({5}, {1, 1}), plugInModeRGBColor);
  rig.record.abortProc = Abort;
  sAbortAfter = 4;  // one call per row, four rows
  CTesselParams params;
  bool found = false;
  EXPECT_EQ(Run(rig, params, found), userCanceledErr);
  EXPECT_TRUE(found);
  EXPECT_EQ(sAbortCalls, 4);
  EXPECT_NE(rig.Get(0, 2), kWhite);

  FilterOnPage early(Boxes({5}, {1, 1}), plugInModeRGBColor);
  early.record.abortProc = Abort;
  sAbortCalls = 0;
  sAbortAfter = 1;
  EXPECT_EQ(Run(early, params, found), userCanceledErr);
  EXPECT_EQ(early.Get(0, 2), kWhite);
}

TEST_F(Scan, HostWithoutCallbacksStillScans) {
  FilterOnPage rig(Boxes({2, 2}, {2}), plugInModeRGBColor);
  rig.record.progressProc = nullptr;
  rig.record.abortProc = nullptr;
  CTesselParams params;
  EXPECT_TRUE(Scanned(rig, params));
  EXPECT_NE(rig.Get(4, 1), kWhite);
}

// The colour of the box with its top-left pixel at (x, y), against magenta.
bool Flagged(const FilterOnPage& rig, int64_t x, int64_t y) { return rig.Get(x, y) == (Bytes{255, 0, 255, 0}); }

TEST_F(Scan, ExtentFlaggingCountsWidthAndHeight) {
  FilterOnPage rig(Boxes({20, 21}, {5}), plugInModeRGBColor);
  CTesselParams params;
  params.flagAreas = 1;
  EXPECT_TRUE(Scanned(rig, params));
  EXPECT_TRUE(Flagged(rig, 0, 0));
  EXPECT_TRUE(Flagged(rig, 19, 4));
  EXPECT_FALSE(Flagged(rig, 21, 0));
  EXPECT_TRUE(rig.filter.mJoinList.empty());
}

TEST_F(Scan, AreaSizesSortRegionsIntoJoinedFlaggedAndKept) {
  // Regions of 5, 15, 20, 25 and 21 pixels.
  FilterOnPage rig(Boxes({5, 15, 20, 25, 21}, {1}), plugInModeRGBColor);
  CTesselParams params;
  params.measureByArea = 1;
  params.flagAreas = 1;
  params.joinAreas = 1;
  EXPECT_TRUE(Scanned(rig, params));
  EXPECT_TRUE(Flagged(rig, 0, 0));
  EXPECT_TRUE(Flagged(rig, 6, 0));
  EXPECT_TRUE(Flagged(rig, 22, 0));
  EXPECT_FALSE(Flagged(rig, 43, 0));
  EXPECT_FALSE(Flagged(rig, 69, 0));
  ASSERT_EQ(rig.filter.mJoinList.size(), 1u);
  EXPECT_EQ(rig.filter.mJoinList[0].x, 0u);
  EXPECT_EQ(rig.filter.mJoinList[0].y, 0u);
}

TEST_F(Scan, JoiningAloneStillFlagsAndLists) {
  FilterOnPage rig(Boxes({2, 30}, {2}), plugInModeRGBColor);
  CTesselParams params;
  params.joinAreas = 1;
  EXPECT_TRUE(Scanned(rig, params));
  EXPECT_TRUE(Flagged(rig, 1, 1));
  EXPECT_FALSE(Flagged(rig, 3, 1));
  ASSERT_EQ(rig.filter.mJoinList.size(), 1u);
  // The run's fill test is back in force after the repaint.
  EXPECT_TRUE(rig.filter.mPaintAA);
}

TEST_F(Scan, SizeZeroFlagsNothing) {
  FilterOnPage rig(Boxes({1}, {1}), plugInModeRGBColor);
  CTesselParams params;
  params.flagAreas = params.joinAreas = 1;
  params.flagSize = params.joinSize = 0;
  EXPECT_TRUE(Scanned(rig, params));
  EXPECT_FALSE(Flagged(rig, 0, 0));
  EXPECT_TRUE(rig.filter.mJoinList.empty());
}

TEST_F(Scan, DarkFlagColourLeavesTheRegionPaintedButListed) {
  FilterOnPage rig(Boxes({2}, {2}), plugInModeRGBColor);
  CTesselParams params;
  params.joinAreas = 1;
  params.flagColor = {0x1000, 0x1000, 0x1000};
  EXPECT_TRUE(Scanned(rig, params));
  EXPECT_NE(rig.Get(0, 0), (Bytes{16, 16, 16, 0}));
  EXPECT_NE(rig.Get(0, 0), kWhite);
  EXPECT_EQ(rig.filter.mJoinList.size(), 1u);
}

TEST_F(Scan, CmykRegionsArePaintedWithoutBlackInk) {
  FilterOnPage rig(Boxes({3, 3, 3, 3}, {3, 3}, 4), plugInModeCMYKColor);
  CTesselParams params;
  EXPECT_TRUE(Scanned(rig, params));
  for (int64_t y : {0, 4})
    for (int64_t x : {0, 4, 8, 12}) {
      EXPECT_EQ(rig.Get(x, y)[3], 255);
      EXPECT_NE(rig.Get(x, y), (Bytes{255, 255, 255, 255}));
    }
}

TEST_F(Scan, NoUsablePaintColourLeavesThePageUntouched) {
  // Anti-aliased grey: every level above 16 is fill and every level up to 90
  // too dark. A tolerance of 255 makes every colour fill.
  FilterOnPage grey(Boxes({4, 4}, {4}, 1), plugInModeGrayScale);
  const Page before = grey.page;
  CTesselParams params;
  bool found = true;
  EXPECT_EQ(Run(grey, params, found), filterBadParameters);
  EXPECT_FALSE(found);
  EXPECT_EQ(grey.page.bytes, before.bytes);

  FilterOnPage rgb(Boxes({4, 4}, {4}), plugInModeRGBColor);
  const Page rgbBefore = rgb.page;
  params.paintAntiAliased = 0;
  params.tolerance = 255;
  EXPECT_EQ(Run(rgb, params, found), filterBadParameters);
  EXPECT_EQ(rgb.page.bytes, rgbBefore.bytes);
}

TEST_F(Scan, GreyWithoutAntiAliasingPaintsGreyLevels) {
  FilterOnPage grey(Boxes({4, 4}, {4}, 1), plugInModeGrayScale);
  CTesselParams params;
  params.paintAntiAliased = 0;
  EXPECT_TRUE(Scanned(grey, params));
  const uint8_t level = grey.Get(0, 0)[0];
  EXPECT_GT(level, 90);
  EXPECT_LT(level, 255);
}

TEST_F(Scan, SeedsBeyondSixteenBitsAreListedExactly) {
  Page page(70001, 3, 1, Layout::kInterleaved);
  for (int64_t x = 0; x < page.width; ++x) page.at(x, 1, 0) = 0;
  for (int64_t y = 0; y < 3; ++y) page.at(69999, y, 0) = 0;
  FilterOnPage rig(std::move(page), plugInModeGrayScale);
  CTesselParams params;
  params.paintAntiAliased = 0;
  params.joinAreas = 1;
  params.joinSize = 2;
  EXPECT_TRUE(Scanned(rig, params));
  ASSERT_EQ(rig.filter.mJoinList.size(), 2u);
  EXPECT_EQ(rig.filter.mJoinList[0].x, 70000u);
  EXPECT_EQ(rig.filter.mJoinList[0].y, 0u);
  EXPECT_EQ(rig.filter.mJoinList[1].x, 70000u);
  EXPECT_EQ(rig.filter.mJoinList[1].y, 2u);
  constexpr uint8_t kMagentaAsGrey = 170;  // as the test host converts it
  EXPECT_EQ(rig.Get(70000, 2)[0], kMagentaAsGrey);
  EXPECT_NE(rig.Get(69998, 2)[0], kMagentaAsGrey);
  EXPECT_NE(rig.Get(69998, 2)[0], 255);
}

}  // namespace
}  // namespace tessel::testing
