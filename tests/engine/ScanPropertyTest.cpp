// The scan on generated line art, checked against a labelling of the page's
// regions written independently here: each region is painted whole in one
// colour that is no longer fill, the regions take NextColor's colours in the
// order the scan meets them, and nothing outside the regions changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

// The fill test as the filter's documentation states it, for the bytes of one pixel.
struct IndependentTest {
  bool antiAliased;
  int planes;
  int low, high;  // tolerance form: one range for every plane (white fill colour)

  bool IsFill(const Bytes& c) const {
    if (antiAliased) {
      const int lo = *std::min_element(c.begin(), c.begin() + planes);
      const int hi = *std::max_element(c.begin(), c.begin() + planes);
      return lo > 250 || (hi > 16 && hi - lo <= 1);
    }
    for (int k = 0; k < planes; ++k)
      if (c[size_t(k)] < low || c[size_t(k)] > high) return false;
    return true;
  }
};

// Region number of each pixel (-1 outside every region), numbered in the
// order of each region's first pixel in rows.
std::vector<int> Label(const FilterOnPage& rig, const IndependentTest& test, int& regions) {
  const int64_t w = rig.page.width, h = rig.page.height;
  std::vector<int> label(size_t(w * h), -1);
  regions = 0;
  std::vector<int64_t> stack;
  for (int64_t start = 0; start < w * h; ++start) {
    if (label[size_t(start)] != -1 || !test.IsFill(rig.Get(start % w, start / w))) continue;
    label[size_t(start)] = regions;
    stack.push_back(start);
    while (!stack.empty()) {
      const int64_t p = stack.back();
      stack.pop_back();
      const int64_t x = p % w, y = p / w;
      const int64_t neighbours[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
      for (auto& n : neighbours) {
        if (n[0] < 0 || n[0] >= w || n[1] < 0 || n[1] >= h) continue;
        const int64_t q = n[1] * w + n[0];
        if (label[size_t(q)] == -1 && test.IsFill(rig.Get(n[0], n[1]))) {
          label[size_t(q)] = regions;
          stack.push_back(q);
        }
      }
    }
    ++regions;
  }
  return label;
}

struct Case {
  int planes;
  Layout layout;
  bool antiAliasedLines;
  bool antiAliasedTest;
  uint32_t seed;
};

std::string Name(const ::testing::TestParamInfo<Case>& info) {
  const Case& c = info.param;
  static const char* const kModes[] = {"", "Grey", "", "Rgb", "Cmyk"};
  return std::string(kModes[c.planes]) + (c.layout == Layout::kPlanar ? "Planar" : "Interleaved") +
         (c.antiAliasedLines ? "SoftLines" : "HardLines") + (c.antiAliasedTest ? "AaTest" : "Tolerance") +
         std::to_string(c.seed);
}

int16_t ModeOf(int planes) {
  return planes == 1 ? plugInModeGrayScale : planes == 4 ? plugInModeCMYKColor : plugInModeRGBColor;
}

class ScanProperty : public ::testing::TestWithParam<Case> {};

TEST_P(ScanProperty, RegionsArePaintedWholeInTheirOwnColours) {
  const Case c = GetParam();
  Page page(173, 131, c.planes, c.layout);  // odd sizes: runs end off the 16-pixel grid
  SketchOptions sketch;
  sketch.shapes = 60;
  sketch.largestRadius = 30;
  sketch.style = LineStyle{c.antiAliasedLines ? 0.9 : 0.6, c.antiAliasedLines};
  sketch.seed = c.seed;
  DrawRandomShapes(page, sketch);

  FilterOnPage rig(std::move(page), ModeOf(c.planes));
  CTesselParams params;
  params.paintAntiAliased = c.antiAliasedTest;
  params.tolerance = 40;
  const IndependentTest test{c.antiAliasedTest, c.planes, 255 - 40, 255};
  int regions = 0;
  const std::vector<int> label = Label(rig, test, regions);
  const Page before = rig.page;
  ASSERT_GT(regions, 20);

  std::srand(c.seed);
  bool found = false;
  rig.Prepare(params);
  const int16_t result = rig.filter.ScanImage(params, found);
  if (c.planes == 1 && c.antiAliasedTest) {
    // No grey can paint here: nothing changes and the run is refused.
    EXPECT_EQ(result, filterBadParameters);
    EXPECT_EQ(rig.page.bytes, before.bytes);
    return;
  }
  ASSERT_EQ(result, noErr);
  EXPECT_TRUE(found);

  // NextColor's sequence, replayed on a filter of its own.
  FilterOnPage replay(Page(1, 1, c.planes, c.layout), ModeOf(c.planes));
  replay.Prepare(params);
  replay.filter.mPaintColor[3] = 255;
  std::srand(c.seed);
  std::vector<Bytes> expected;
  for (int r = 0; r < regions; ++r) {
    replay.filter.NextColor();
    Bytes colour = Of(replay.filter.mPaintColor);
    std::fill(colour.begin() + c.planes, colour.end(), 0);  // as Get reads the page
    expected.push_back(colour);
  }

  int mismatches = 0;
  for (int64_t y = 0; y < rig.page.height; ++y)
    for (int64_t x = 0; x < rig.page.width; ++x) {
      const int region = label[size_t(y * rig.page.width + x)];
      const Bytes now = rig.Get(x, y);
      const bool ok = region < 0 ? now == PixelOf(before, x, y) : now == expected[size_t(region)] && !test.IsFill(now);
      if (!ok && ++mismatches <= 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " of region " << region << " is " << int(now[0]) << ","
                      << int(now[1]) << "," << int(now[2]) << "," << int(now[3]);
    }
  EXPECT_EQ(mismatches, 0);
}

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  uint32_t seed = 11;
  for (int planes : {1, 3, 4})
    for (Layout layout : {Layout::kInterleaved, Layout::kPlanar})
      for (bool softLines : {true, false})
        for (bool aaTest : {true, false}) cases.push_back(Case{planes, layout, softLines, aaTest, seed++});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(LineArt, ScanProperty, ::testing::ValuesIn(AllCases()), Name);

}  // namespace
}  // namespace tessel::testing
