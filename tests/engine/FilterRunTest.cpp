// Whole runs of the real module through the host, as the editor drives them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "interface/FourCharCode.h"
#include "tests/support/LineArt.h"
#include "tests/support/RunFixture.h"

namespace tessel::test {
namespace {

using base::ImageBuffer;
using host::RunReport;
using host::RunRequest;
using Pixel = std::vector<uint8_t>;

const std::string kNotFound =
    "The color to fill was not found in the image!\nCheck the color in the Tesseled Color swatch.";

CTesselParams RandomColours() {
  CTesselParams params;
  params.randomColors = 1;
  return params;
}

class FilterRun : public RunFixture {
 protected:
  host::RunRequest Replay(base::ImageBuffer& page, const CTesselParams& params, int16_t mode = plugInModeRGBColor) {
    host::RunRequest request;
    request.image = &page;
    request.imageMode = mode;
    request.replay = DescriptorOf(params);
    request.presetsFolder = presets.path().string();
    return request;
  }

  // A 40 x 30 page cut by a black cross into four boxes.
  static std::unique_ptr<base::ImageBuffer> FourBoxes(int planes = 3) {
    auto page = FilledPage(40, 30, planes, 255);
    DrawCross(*page, 20, 15);
    return page;
  }
  // One sample pixel inside each box, in the order the scan meets them.
  static std::vector<Pixel> BoxColours(const base::ImageBuffer& page) {
    return {page.Pixel(3, 3), page.Pixel(30, 3), page.Pixel(3, 20), page.Pixel(30, 20)};
  }
};

TEST_F(FilterRun, GeneratedLineArtGetsOneRandomColourPerRegion) {
  testing::Page art(120, 90, 3, testing::Layout::kInterleaved);
  testing::SketchOptions sketch;
  sketch.style.antiAliased = false;
  sketch.seed = 11;
  testing::DrawRandomShapes(art, sketch);
  base::ImageBuffer page(base::ImageGeometry{art.width, art.height, 3});
  for (int64_t y = 0; y < art.height; ++y)
    for (int64_t x = 0; x < art.width; ++x)
      page.SetPixel(x, y, {art.at(x, y, 0), art.at(x, y, 1), art.at(x, y, 2)});
  const auto before = Copy(page);

  const host::RunReport report = RunCaptured(Replay(page, RandomColours()));
  ASSERT_EQ(report.result, 0) << shown;
  EXPECT_EQ(TimesShown(kNotFound), 0u);

  const Pixel white{255, 255, 255};
  std::set<Pixel> colours;
  for (int64_t y = 0; y < page.height(); ++y) {
    for (int64_t x = 0; x < page.width(); ++x) {
      const Pixel was = before->Pixel(x, y), now = page.Pixel(x, y);
      if (was != white) {
        ASSERT_EQ(now, was) << "line art changed at " << x << "," << y;
        continue;
      }
      ASSERT_NE(now, white) << "fill left at " << x << "," << y;
      colours.insert(now);
      // Neighbouring fill pixels belong to one region and share its colour.
      if (x > 0 && before->Pixel(x - 1, y) == white) {
        ASSERT_EQ(page.Pixel(x - 1, y), now) << x << "," << y;
      }
      if (y > 0 && before->Pixel(x, y - 1) == white) {
        ASSERT_EQ(page.Pixel(x, y - 1), now) << x << "," << y;
      }
    }
  }
  EXPECT_GT(colours.size(), 5u);
}

TEST_F(FilterRun, SmallRegionsAreJoinedIntoTheirNeighbours) {
  auto page = FourBoxes();
  // A one-pixel hole in a small black square inside the first box.
  for (int64_t y = 7; y <= 9; ++y)
    for (int64_t x = 7; x <= 9; ++x) page->SetPixel(x, y, {0, 0, 0});
  page->SetPixel(8, 8, {255, 255, 255});
  CTesselParams params = RandomColours();
  params.joinAreas = 1;

  ASSERT_EQ(RunCaptured(Replay(*page, params)).result, 0) << shown;
  EXPECT_EQ(page->Pixel(8, 8), page->Pixel(3, 3));
  EXPECT_EQ(page->Pixel(8, 7), (Pixel{0, 0, 0}));
  const std::vector<Pixel> boxes = BoxColours(*page);
  EXPECT_EQ(std::set<Pixel>(boxes.begin(), boxes.end()).size(), 4u) << "the large boxes keep their own colours";
}

TEST_F(FilterRun, SwatchColoursFromThePresetsFolderComeInTurn) {
  const auto folder = presets.path() / "Présets ☃";
  WriteRgbSwatches(folder / "Color Swatches" / "Comic Tints.aco", {{200, 40, 40}, {40, 160, 40}, {40, 40, 220}});
  auto page = FourBoxes();
  CTesselParams params;
  std::strcpy(params.paletteName, "Comic Tints.aco");
  host::RunRequest request = Replay(*page, params);
  request.presetsFolder = folder.string();

  ASSERT_EQ(RunCaptured(request).result, 0) << shown;
  EXPECT_EQ(BoxColours(*page), (std::vector<Pixel>{{200, 40, 40}, {40, 160, 40}, {40, 40, 220}, {200, 40, 40}}));
}

TEST_F(FilterRun, MissingSwatchFileOrPresetsFolderGivesRandomColours) {
  CTesselParams params;
  std::strcpy(params.paletteName, "Gone.aco");
  for (const bool withFolder : {true, false}) {
    auto page = FourBoxes();
    host::RunRequest request = Replay(*page, params);
    if (!withFolder) request.presetsFolder.clear();
    ASSERT_EQ(RunCaptured(request).result, 0) << shown;
    for (const Pixel& colour : BoxColours(*page)) EXPECT_NE(colour, (Pixel{255, 255, 255})) << withFolder;
    EXPECT_EQ(page->Pixel(20, 0), (Pixel{0, 0, 0}));
  }
}

TEST_F(FilterRun, ReplayWithoutDialogUsesTheActionNotTheParameterBlock) {
  CTesselParams stale;
  stale.fillColor = {0, 0, 65535};  // not on the page: would end in the not-found alert
  SetParameterBlock(session.host(), stale);
  auto page = FourBoxes();
  CTesselParams action = RandomColours();
  action.tolerance = 7;

  const host::RunReport report = RunCaptured(Replay(*page, action));
  ASSERT_EQ(report.result, 0) << shown;
  EXPECT_FALSE(Ran(report, filterSelectorParameters));
  EXPECT_EQ(TimesShown(kNotFound), 0u);
  EXPECT_NE(page->Pixel(3, 3), (Pixel{255, 255, 255}));
  // The run leaves its own parameters for the next one.
  CTesselParams block;
  ASSERT_TRUE(ParameterBlock(session.host(), block));
  EXPECT_EQ(block.fillColor.blue, 65535);
  EXPECT_EQ(block.fillColor.red, 65535);
  EXPECT_EQ(block.tolerance, 7);
}

TEST_F(FilterRun, NoParameterBlockAndNoActionLeavesThePageAlone) {
  auto page = FourBoxes();
  const auto before = Copy(*page);
  host::Host& host = session.host();
  host.SetImage(*page, plugInModeRGBColor);
  EXPECT_EQ(host.Run(false), filterBadParameters);
  EXPECT_EQ(host.calls().back().selector, filterSelectorStart);
  EXPECT_EQ(host.dataSlot(), 0);
  EXPECT_EQ(host.imageServices().advanceStateCalls(), 0);
  EXPECT_TRUE(page->SamePixels(*before));
  EXPECT_EQ(host.filterRecord().parameters, nullptr);
}

TEST_F(FilterRun, HostFailingToDeliverTheImageIsReportedAsSuch) {
  auto page = FourBoxes();
  const auto before = Copy(*page);
  // An action holding the fill colour only: the recorded one holds every item.
  host::RunRequest request = Replay(*page, CTesselParams());
  request.replay->items.resize(1);
  constexpr OSErr kHostError = -108;
  session.host().imageServices().ForceAdvanceStateError(kHostError);

  const host::RunReport report = RunCaptured(request);
  EXPECT_EQ(report.result, kHostError);
  EXPECT_EQ(TimesShown(kNotFound), 0u);
  EXPECT_NE(shown.find(std::to_string(kHostError)), std::string::npos) << shown;
  EXPECT_TRUE(page->SamePixels(*before));
  const VRect& out = session.host().filterRecord().outRect;
  EXPECT_EQ(out.bottom | out.right | out.top | out.left, 0);
  CTesselParams block;
  EXPECT_TRUE(ParameterBlock(session.host(), block));
  ASSERT_TRUE(report.recorded.has_value());
  EXPECT_EQ(report.recorded->items.size(), 11u);
}

TEST_F(FilterRun, HostWithoutAdvanceStateFailsWithoutWritingAnything) {
  auto page = FourBoxes();
  const auto before = Copy(*page);
  session.host().filterRecord().advanceState = nullptr;
  const host::RunReport report = RunCaptured(Replay(*page, RandomColours()));
  EXPECT_EQ(report.result, filterBadParameters);
  EXPECT_TRUE(page->SamePixels(*before));
  EXPECT_EQ(session.host().filterRecord().parameters, nullptr);
  EXPECT_EQ(shown, "");
}

TEST_F(FilterRun, AbortKeepsWhatWasPaintedAndStillSavesTheParameters) {
  auto page = FourBoxes();
  // A strip along the bottom row only: its region is met at the last row.
  for (int64_t x = 21; x < 40; ++x) page->SetPixel(x, 28, {0, 0, 0});
  session.host().progress().AbortFromRow(29);

  const host::RunReport report = RunCaptured(Replay(*page, RandomColours()));
  EXPECT_EQ(report.result, userCanceledErr);
  for (const Pixel& colour : BoxColours(*page)) EXPECT_NE(colour, (Pixel{255, 255, 255}));
  EXPECT_EQ(page->Pixel(30, 29), (Pixel{255, 255, 255}));
  EXPECT_EQ(TimesShown(kNotFound), 0u);
  CTesselParams block;
  EXPECT_TRUE(ParameterBlock(session.host(), block));
  EXPECT_EQ(block.randomColors, 1);
  EXPECT_EQ(session.host().dataSlot(), 0);
}

TEST_F(FilterRun, PageWithoutFillPixelsWarnsOnceAndSucceeds) {
  auto page = FilledPage(16, 8, 3, 0);
  const host::RunReport report = RunCaptured(Replay(*page, RandomColours()));
  EXPECT_EQ(report.result, 0);
  EXPECT_EQ(TimesShown(kNotFound), 1u) << shown;
  CTesselParams block;
  EXPECT_TRUE(ParameterBlock(session.host(), block));
}

TEST_F(FilterRun, OnlyTheFirstFourColourPlanesAreTestedAndPainted) {
  // CMYK with a fifth plane that would wall the page in two if it were tested.
  auto page = FilledPage(12, 6, 5, 255);
  for (int64_t y = 0; y < 6; ++y) page->at(5, y, 4) = 0;
  CTesselParams params = RandomColours();
  params.paintAntiAliased = 0;
  ASSERT_EQ(RunCaptured(Replay(*page, params, plugInModeCMYKColor)).result, 0) << shown;
  const Pixel first = page->Pixel(0, 0);
  EXPECT_NE(Pixel(first.begin(), first.begin() + 4), (Pixel{255, 255, 255, 255}));
  for (int64_t y = 0; y < 6; ++y) {
    for (int64_t x = 0; x < 12; ++x) {
      const Pixel now = page->Pixel(x, y);
      ASSERT_EQ(Pixel(now.begin(), now.begin() + 4), Pixel(first.begin(), first.begin() + 4)) << x << "," << y;
      ASSERT_EQ(now[4], x == 5 ? 0 : 255) << x << "," << y;
    }
  }
}

TEST_F(FilterRun, LayerTransparencyIsNeitherTestedNorPainted) {
  auto page = FilledPage(10, 4, 4, 255);
  for (int64_t x = 0; x < 10; ++x) page->at(x, 1, 3) = 0;  // a transparent row
  host::RunRequest request = Replay(*page, RandomColours());
  request.layer = true;
  ASSERT_EQ(RunCaptured(request).result, 0) << shown;
  const Pixel first = page->Pixel(0, 0);
  for (int64_t y = 0; y < 4; ++y) {
    for (int64_t x = 0; x < 10; ++x) {
      const Pixel now = page->Pixel(x, y);
      ASSERT_EQ(Pixel(now.begin(), now.begin() + 3), Pixel(first.begin(), first.begin() + 3)) << x << "," << y;
      ASSERT_EQ(now[3], y == 1 ? 0 : 255) << x << "," << y;
    }
  }
  EXPECT_NE(Pixel(first.begin(), first.begin() + 3), (Pixel{255, 255, 255}));
}

TEST_F(FilterRun, GreyscalePageWithTheDefaultsIsLeftAloneWithAReason) {
  auto page = FilledPage(20, 10, 1, 255);
  DrawCross(*page, 10, 5);
  const auto before = Copy(*page);
  const host::RunReport report = RunCaptured(Replay(*page, CTesselParams(), plugInModeGrayScale));
  EXPECT_EQ(report.result, filterBadParameters);
  EXPECT_TRUE(page->SamePixels(*before));
  EXPECT_EQ(TimesShown(kNoPaintColorMessage), 1u) << shown;
  EXPECT_EQ(TimesShown(kNotFound), 0u);
  EXPECT_EQ(session.host().filterRecord().parameters, nullptr);
}

}  // namespace
}  // namespace tessel::test
