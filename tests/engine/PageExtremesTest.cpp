// Pages at the edges of what the scan meets: a strip 70000 pixels long, a
// single pixel, a page that is all fill or has none, and a 67-megapixel
// spiral that is one region one pixel wide.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

constexpr Bytes kWhite{255, 255, 255, 0};
constexpr Bytes kBlack{0, 0, 0, 0};

class PageExtremes : public ::testing::Test {
 protected:
  void SetUp() override { std::srand(11); }

  static int16_t Scan(FilterOnPage& rig, CTesselParams& params, bool& found) {
    rig.Prepare(params);
    return rig.filter.ScanImage(params, found);
  }
};

// Black except for a square spiral path of white, one pixel wide, starting
// at the top-left corner; walls between its turns are one pixel thick.
Page SpiralPage(int64_t size, int64_t& pathPixels) {
  Page page(size, size, 1, Layout::kInterleaved);
  std::fill(page.bytes.begin(), page.bytes.end(), uint8_t{0});
  pathPixels = 0;
  auto open = [&](int64_t x, int64_t y) {
    uint8_t& byte = page.at(x, y, 0);
    pathPixels += byte == 0;
    byte = 255;
  };
  int64_t left = 0, top = 0, right = size - 1, bottom = size - 1;
  while (left <= right && top <= bottom) {
    for (int64_t x = left; x <= right; ++x) open(x, top);
    for (int64_t y = top; y <= bottom; ++y) open(right, y);
    if (top + 2 > bottom || left + 2 > right) break;
    for (int64_t x = right; x >= left; --x) open(x, bottom);
    for (int64_t y = bottom; y >= top + 2; --y) open(left, y);
    open(left + 1, top + 2);
    left += 2, top += 2, right -= 2, bottom -= 2;
  }
  return page;
}

TEST_F(PageExtremes, StripOf70000By3IsFilledAcrossItsWholeLength) {
  Page strip(70000, 3, 3, Layout::kInterleaved);
  for (int k = 0; k < 3; ++k) strip.at(35000, 1, k) = 0;  // a dot, not a wall
  FilterOnPage rig(std::move(strip), plugInModeRGBColor);
  CTesselParams params;
  bool found = false;
  ASSERT_EQ(Scan(rig, params, found), noErr);
  EXPECT_TRUE(found);
  EXPECT_EQ(rig.filter.mAreaCount, 70000u * 3 - 1);
  EXPECT_EQ(rig.filter.mMaxX, 69999);
  const Bytes paint = rig.Get(0, 0);
  EXPECT_NE(paint, kWhite);
  EXPECT_EQ(rig.Get(69999, 2), paint);
  EXPECT_EQ(rig.Get(35000, 1), kBlack);
}

TEST_F(PageExtremes, SinglePixelPageIsOneRegionOrNone) {
  FilterOnPage white(Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor);
  CTesselParams params;
  bool found = false;
  ASSERT_EQ(Scan(white, params, found), noErr);
  EXPECT_TRUE(found);
  EXPECT_EQ(white.filter.mAreaCount, 1u);
  EXPECT_NE(white.Get(0, 0), kWhite);

  FilterOnPage black(Page(1, 1, 3, Layout::kInterleaved), plugInModeRGBColor);
  black.Set(0, 0, kBlack);
  ASSERT_EQ(Scan(black, params, found), noErr);
  EXPECT_FALSE(found);
  EXPECT_EQ(black.Get(0, 0), kBlack);
}

TEST_F(PageExtremes, PageOfFillOnlyBecomesOneColour) {
  FilterOnPage rig(Page(1500, 1000, 4, Layout::kPlanar), plugInModeCMYKColor);
  CTesselParams params;
  bool found = false;
  ASSERT_EQ(Scan(rig, params, found), noErr);
  EXPECT_TRUE(found);
  EXPECT_EQ(rig.filter.mAreaCount, 1500u * 1000u);
  const Bytes paint = rig.Get(0, 0);
  for (int64_t y = 0; y < 1000; ++y)
    for (int64_t x = 0; x < 1500; ++x) ASSERT_EQ(rig.Get(x, y), paint) << x << ", " << y;
}

TEST_F(PageExtremes, PageWithoutFillIsLeftExactlyAsItWas) {
  Page page(1500, 1000, 3, Layout::kInterleaved);
  for (size_t i = 0; i < page.bytes.size(); ++i) page.bytes[i] = uint8_t(i * 7 % 240);  // no byte above 250
  const std::vector<uint8_t> before = page.bytes;
  FilterOnPage rig(std::move(page), plugInModeRGBColor);
  CTesselParams params;
  bool found = true;
  ASSERT_EQ(Scan(rig, params, found), noErr);
  EXPECT_FALSE(found);
  EXPECT_TRUE(rig.page.bytes == before);
}

TEST_F(PageExtremes, SpiralOf67MegapixelsIsOneRegionOnABoundedStack) {
  int64_t pathPixels = 0;
  FilterOnPage rig(SpiralPage(8192, pathPixels), plugInModeGrayScale);
  CTesselParams params;
  params.paintAntiAliased = 0;  // no grey colour can paint under the anti-aliased test
  bool found = false;
  ASSERT_EQ(Scan(rig, params, found), noErr);
  EXPECT_TRUE(found);
  EXPECT_EQ(rig.filter.mAreaCount, uint64_t(pathPixels));
  const uint8_t paint = rig.page.at(0, 0, 0);
  EXPECT_EQ(std::count(rig.page.bytes.begin(), rig.page.bytes.end(), paint), pathPixels);
  EXPECT_EQ(std::count(rig.page.bytes.begin(), rig.page.bytes.end(), uint8_t{255}), 0);

  // The pending stack never shrinks, so its capacity bounds its peak. It may
  // keep a run per turn of the spiral, never one per pixel of the path (that
  // was a stack of 1.3 GB).
  const size_t peakRuns = rig.filter.mPendingSegments.capacity();
  RecordProperty("pending_stack_peak_bytes", std::to_string(peakRuns * sizeof(FillSegment)));
  EXPECT_LE(peakRuns, 8192u);
}

}  // namespace
}  // namespace tessel::testing
