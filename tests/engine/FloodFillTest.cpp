// The fill test, the general scanline fill, and the filter's fill over a page.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "engine/ScanlineFill.h"
#include "interface/FillTest.h"
#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

FillTest AntiAliased(int planes) { return FillTest{planes, true, {}, {}}; }

bool Passes(const FillTest& test, Bytes c) { return test.Passes(c.data(), 1); }

TEST(FillTestRule, AntiAliasedPassesNearWhiteAndBrightNeutralGreys) {
  const FillTest rgb = AntiAliased(3);
  EXPECT_TRUE(Passes(rgb, {20, 21, 20, 0}));
  EXPECT_FALSE(Passes(rgb, {20, 22, 20, 0}));
  EXPECT_TRUE(Passes(rgb, {251, 251, 251, 0}));
  EXPECT_TRUE(Passes(rgb, {251, 255, 253, 0}));
  EXPECT_FALSE(Passes(rgb, {250, 255, 255, 0}));
  EXPECT_FALSE(Passes(rgb, {16, 16, 16, 0}));
  EXPECT_TRUE(Passes(rgb, {17, 17, 16, 0}));
  EXPECT_FALSE(Passes(rgb, {255, 255, 0, 0}));
  const FillTest grey = AntiAliased(1);
  EXPECT_TRUE(Passes(grey, {17, 0, 0, 0}));
  EXPECT_FALSE(Passes(grey, {16, 255, 255, 0}));
}

TEST(FillTestRule, ToleranceKeepsEveryPlaneInItsRange) {
  const FillTest test{3, false, {245, 245, 245, 0}, {255, 255, 255, 0}};
  EXPECT_TRUE(Passes(test, {245, 250, 255, 0}));
  EXPECT_FALSE(Passes(test, {244, 255, 255, 0}));
  EXPECT_FALSE(Passes(test, {255, 255, 244, 7}));
  // Planes beyond those tested do not matter; planes lie planeStep apart.
  const uint8_t planar[] = {250, 0, 0, 245, 0, 0, 255};
  EXPECT_TRUE(test.Passes(planar, 3));
}

// ---- The general fill over a character grid: '.' belongs to the region.

std::vector<std::string> sGrid;

bool GridFill(int64_t x, int64_t y) {
  if (y < 0 || y >= int64_t(sGrid.size()) || x < 0 || x >= int64_t(sGrid[0].size())) return false;
  char& c = sGrid[size_t(y)][size_t(x)];
  if (c != '.') return false;
  c = '#';
  return true;
}

// The 4-connected component of '.' around (x, y), found breadth first.
std::vector<std::string> Component(std::vector<std::string> grid, int64_t x, int64_t y) {
  std::deque<std::pair<int64_t, int64_t>> queue{{x, y}};
  while (!queue.empty()) {
    auto [px, py] = queue.front();
    queue.pop_front();
    if (py < 0 || py >= int64_t(grid.size()) || px < 0 || px >= int64_t(grid[0].size())) continue;
    char& c = grid[size_t(py)][size_t(px)];
    if (c != '.') continue;
    c = '#';
    queue.insert(queue.end(), {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}});
  }
  return grid;
}

void ExpectFillMatchesComponent(const std::vector<std::string>& grid, int64_t x, int64_t y) {
  sGrid = grid;
  ScanlineFill(x, y, GridFill);
  EXPECT_EQ(sGrid, Component(grid, x, y));
}

TEST(ScanlineFillEngine, FillsExactlyTheFourConnectedRegion) {
  const std::vector<std::string> uShape = {
      ".X...X.",
      ".X.X.X.",
      ".X.X.X.",
      "...X...",
      "XXXXXXX",
  };
  ExpectFillMatchesComponent(uShape, 0, 0);
  ExpectFillMatchesComponent(uShape, 4, 0);
  const std::vector<std::string> corners = {
      "..X..",
      "..X..",
      "XX.XX",
      "..X..",
  };
  ExpectFillMatchesComponent(corners, 0, 0);
  ExpectFillMatchesComponent(corners, 2, 2);
  ExpectFillMatchesComponent({"....", "....", "...."}, 3, 2);
}

TEST(ScanlineFillEngine, FailingSeedPaintsNothing) {
  sGrid = {"X.."};
  ScanlineFill(0, 0, GridFill);
  EXPECT_EQ(sGrid, (std::vector<std::string>{"X.."}));
  ScanlineFill(-1, 0, GridFill);
  EXPECT_EQ(sGrid, (std::vector<std::string>{"X.."}));
}

// A one-pixel-wide square spiral: every turn of it is a new run, so a
// recursive fill would need one frame per pixel.
std::vector<std::string> Spiral(int size) {
  std::vector<std::string> grid(size_t(size), std::string(size_t(size), 'X'));
  int left = 0, top = 0, right = size - 1, bottom = size - 1;
  while (left <= right && top <= bottom) {
    for (int x = left; x <= right; ++x) grid[size_t(top)][size_t(x)] = '.';
    for (int y = top; y <= bottom; ++y) grid[size_t(y)][size_t(right)] = '.';
    if (top + 2 > bottom || left + 2 > right) break;
    for (int x = right; x >= left; --x) grid[size_t(bottom)][size_t(x)] = '.';
    for (int y = bottom; y >= top + 2; --y) grid[size_t(y)][size_t(left)] = '.';
    grid[size_t(top + 2)][size_t(left + 1)] = '.';
    left += 2, top += 2, right -= 2, bottom -= 2;
  }
  return grid;
}

TEST(ScanlineFillEngine, LongSpiralNeedsNoDeepCallStack) {
  const std::vector<std::string> spiral = Spiral(801);
  ExpectFillMatchesComponent(spiral, 0, 0);
  size_t painted = 0;
  for (const std::string& row : sGrid) painted += size_t(std::count(row.begin(), row.end(), '#'));
  EXPECT_GT(painted, 801u * 801u / 3);
}

// ---- The filter's fill over a page

class PageFill : public ::testing::Test {
 protected:
  // White page with a black cross splitting it into four areas.
  static Page Crossed(int64_t size, int planes, Layout layout) {
    Page page(size, size, planes, layout);
    for (int64_t i = 0; i < size; ++i)
      for (int k = 0; k < planes; ++k) page.at(size / 2, i, k) = page.at(i, size / 2, k) = 0;
    return page;
  }
};

TEST_F(PageFill, PaintsMeasuresAndStopsAtLines) {
  for (Layout layout : {Layout::kInterleaved, Layout::kPlanar}) {
    FilterOnPage rig(Crossed(41, 3, layout), plugInModeRGBColor);
    rig.filter.mPaintAA = true;
    rig.SetPaint({200, 10, 10, 255});
    rig.StartArea(30, 35);
    rig.filter.FloodFill(30, 35);
    EXPECT_EQ(rig.filter.mAreaCount, 20u * 20u);
    EXPECT_EQ(rig.filter.mMinX, 21);
    EXPECT_EQ(rig.filter.mMaxX, 40);
    EXPECT_EQ(rig.filter.mMinY, 21);
    EXPECT_EQ(rig.filter.mMaxY, 40);
    EXPECT_EQ(rig.Get(21, 21), (Bytes{200, 10, 10, 0}));
    EXPECT_EQ(rig.Get(40, 40), (Bytes{200, 10, 10, 0}));
    EXPECT_EQ(rig.Get(19, 19), (Bytes{255, 255, 255, 0}));
    EXPECT_EQ(rig.Get(20, 30), (Bytes{0, 0, 0, 0}));
  }
}

TEST_F(PageFill, OnePixelRegionAndFailingSeed) {
  FilterOnPage rig(Page(3, 3, 1, Layout::kInterleaved), plugInModeGrayScale);
  for (int64_t i = 0; i < 3; ++i) rig.Set(i, 1, {0}), rig.Set(1, i, {0});
  rig.filter.mPaintAA = false;
  rig.SetRange({250}, {255});
  rig.SetPaint({100});
  rig.StartArea(2, 2);
  rig.filter.FloodFill(2, 2);
  EXPECT_EQ(rig.filter.mAreaCount, 1u);
  EXPECT_EQ(rig.filter.mMinX, 2);
  EXPECT_EQ(rig.filter.mMaxY, 2);
  EXPECT_EQ(rig.Get(2, 2)[0], 100);
  EXPECT_EQ(rig.Get(0, 0)[0], 255);
  // A seed on the line paints nothing and keeps the counters.
  rig.filter.FloodFill(1, 1);
  EXPECT_EQ(rig.filter.mAreaCount, 1u);
  EXPECT_EQ(rig.Get(1, 1)[0], 0);
}

TEST_F(PageFill, StaysInsideTheOutputRectangleAndTheTestedPlanes) {
  FilterOnPage rig(Page(40, 6, 4, Layout::kInterleaved), plugInModeRGBColor);
  rig.record.outRect = VRect{0, 0, 4, 37};  // the page's last rows and columns lie outside
  rig.filter.mPlanes = 3;
  rig.filter.mPaintAA = true;
  rig.SetPaint({1, 2, 250, 255});
  rig.StartArea(0, 0);
  rig.filter.FloodFill(0, 0);
  EXPECT_EQ(rig.filter.mAreaCount, 4u * 37u);
  EXPECT_EQ(rig.filter.mMaxX, 36);
  EXPECT_EQ(rig.filter.mMaxY, 3);
  EXPECT_EQ(rig.Get(36, 3), (Bytes{1, 2, 250, 255}));
  EXPECT_EQ(rig.Get(37, 3), (Bytes{255, 255, 255, 255}));
  EXPECT_EQ(rig.Get(0, 4), (Bytes{255, 255, 255, 255}));
}

// Runs are painted in overlapping fixed-size copies of the colour: each must
// cover its run exactly, whatever its length and pixel size, and not a byte more.
TEST_F(PageFill, EveryRunLengthPaintsItsPixelsAndNoOthers) {
  for (int planes : {1, 2, 3, 4})
    for (int64_t length = 1; length <= 70; ++length) {
      // One white run on a grey row, grey rows above and below.
      const int64_t width = length + 40, start = 17;
      Page page(width, 3, planes, Layout::kInterleaved);
      for (int64_t y = 0; y < 3; ++y)
        for (int64_t x = 0; x < width; ++x)
          for (int k = 0; k < planes; ++k)
            page.at(x, y, k) = y == 1 && x >= start && x < start + length ? 255 : uint8_t(100 + k);
      FilterOnPage rig(page, planes == 1 ? plugInModeGrayScale : plugInModeRGBColor);
      rig.filter.mPaintAA = false;
      rig.SetRange({250, 250, 250, 250}, {255, 255, 255, 255});
      rig.SetPaint({11, 22, 33, 44});
      const int64_t seed = start + length / 2;
      rig.StartArea(seed, 1);
      rig.filter.FloodFill(uint32_t(seed), 1);
      ASSERT_EQ(rig.filter.mAreaCount, uint64_t(length)) << planes << " planes, run of " << length;
      for (int64_t y = 0; y < 3; ++y)
        for (int64_t x = 0; x < width; ++x)
          for (int k = 0; k < planes; ++k) {
            const bool inRun = y == 1 && x >= start && x < start + length;
            ASSERT_EQ(rig.page.at(x, y, k), inRun ? uint8_t(11 * (k + 1)) : uint8_t(100 + k))
                << planes << " planes, run of " << length << ", at " << x << "," << y << " plane " << k;
          }
    }
}

TEST_F(PageFill, PaintColourThatPassesTheTestPaintsNothing) {
  FilterOnPage rig(Page(5, 5, 3, Layout::kInterleaved), plugInModeRGBColor);
  rig.filter.mPaintAA = true;
  rig.SetPaint({100, 100, 100, 255});  // a neutral grey: fill by the anti-aliased test
  rig.StartArea(0, 0);
  rig.filter.FloodFill(0, 0);
  EXPECT_EQ(rig.filter.mAreaCount, 0u);
  EXPECT_EQ(rig.Get(0, 0), (Bytes{255, 255, 255, 0}));
}

TEST_F(PageFill, CallbackRefusesPointsOffThePageOrWithoutABuffer) {
  FilterOnPage rig(Page(4, 4, 3, Layout::kInterleaved), plugInModeRGBColor);
  rig.filter.mPaintAA = true;
  rig.SetPaint({9, 9, 200, 255});
  rig.StartArea(0, 0);
  for (auto [x, y] : {std::pair<int64_t, int64_t>{-1, 0}, {4, 0}, {0, -1}, {0, 4}})
    EXPECT_FALSE(CTessel::FillFunc(x, y)) << x << "," << y;
  EXPECT_TRUE(CTessel::FillFunc(3, 3));
  EXPECT_FALSE(CTessel::FillFunc(3, 3));
  EXPECT_EQ(rig.filter.mAreaCount, 1u);
  EXPECT_EQ(rig.filter.mMaxX, 3);
  rig.record.outData = nullptr;
  EXPECT_FALSE(CTessel::FillFunc(2, 2));
  rig.filter.FloodFill(2, 2);
  EXPECT_EQ(rig.filter.mAreaCount, 1u);
}

}  // namespace
}  // namespace tessel::testing
