// The joining pass on small drawn pages: which colour each listed region takes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

// Page colours by letter; flag is the default flag colour (magenta) as the
// stand-in colour services convert it.
const std::map<char, Bytes> kRgb = {
    {'f', {255, 0, 255, 0}}, {'k', {0, 0, 0, 0}},       {'r', {200, 30, 30, 0}}, {'b', {30, 30, 200, 0}},
    {'g', {30, 200, 30, 0}}, {'y', {220, 220, 40, 0}},  {'d', {90, 90, 90, 0}},  {'e', {10, 80, 90, 0}}};

using Picture = std::vector<std::string>;

class Join : public ::testing::Test {
 protected:
  // An RGB page drawn row by row from `picture`.
  static Page Drawn(const Picture& picture, Layout layout = Layout::kInterleaved) {
    Page page(static_cast<int64_t>(picture[0].size()), static_cast<int64_t>(picture.size()), 3, layout);
    for (size_t y = 0; y < picture.size(); ++y)
      for (size_t x = 0; x < picture[y].size(); ++x)
        for (int k = 0; k < 3; ++k) page.at(x, y, k) = kRgb.at(picture[y][x])[k];
    return page;
  }

  static Picture Seen(const FilterOnPage& rig) {
    Picture picture(static_cast<size_t>(rig.page.height), std::string(static_cast<size_t>(rig.page.width), '?'));
    for (int64_t y = 0; y < rig.page.height; ++y)
      for (int64_t x = 0; x < rig.page.width; ++x)
        for (const auto& [letter, bytes] : kRgb)
          if (rig.Get(x, y) == bytes) picture[y][x] = letter;
    return picture;
  }

  static Picture Joined(const Picture& picture, const std::vector<JoinPoint>& seeds, Layout layout = Layout::kInterleaved) {
    FilterOnPage rig(Drawn(picture, layout), plugInModeRGBColor);
    for (const JoinPoint& seed : seeds) rig.filter.AddJoinArea(seed.x, seed.y);
    CTesselParams params;
    rig.filter.DoJoinAreas(params);
    return Seen(rig);
  }
};

TEST_F(Join, RegionBehindAnOutlineTakesTheColourBeyondIt) {
  const Picture page = {
      "bbbbbbbb",
      "brrrrrrb",
      "brkkkkrb",
      "brkffkrb",
      "brkffkrb",
      "brkkkkrb",
      "brrrrrrb",
      "bbbbbbbb"};
  const Picture expected = {
      "bbbbbbbb",
      "brrrrrrb",
      "brkkkkrb",
      "brkrrkrb",
      "brkrrkrb",
      "brkkkkrb",
      "brrrrrrb",
      "bbbbbbbb"};
  EXPECT_EQ(Joined(page, {{3, 3}}), expected);
}

TEST_F(Join, AtEqualDistanceBelowComesFirst) {
  const Picture page = {
      "kkkkk",
      "kkykk",
      "kgfrk",
      "kkbkk",
      "kkkkk"};
  for (Layout layout : {Layout::kInterleaved, Layout::kPlanar}) {
    EXPECT_EQ(Joined(page, {{2, 2}}, layout)[2], "kgbrk");
    // Without the one below, the one to the right.
    Picture noBelow = page;
    noBelow[3][2] = 'k';
    EXPECT_EQ(Joined(noBelow, {{2, 2}}, layout)[2], "kgrrk");
  }
}

TEST_F(Join, BlackDarkAndFlaggedSurroundingsLeaveTheFlag) {
  const Picture page = {
      "kdekf",
      "kfkdk",
      "ffkek",
      "kkdkk"};
  EXPECT_EQ(Joined(page, {{1, 1}, {4, 0}, {0, 2}}), page);
}

TEST_F(Join, SearchEndsAtTheImageEdgesBeforeFarPixels) {
  // A column one pixel wide: past two rows, eight displacements in a row lie
  // outside the image, so the red far down is never reached.
  Picture page(12, "k");
  page[0] = "f";
  page[11] = "r";
  EXPECT_EQ(Joined(page, {{0, 0}}), page);
  page[2] = "g";
  Picture expected = page;
  expected[0] = "g";
  EXPECT_EQ(Joined(page, {{0, 0}}), expected);
}

TEST_F(Join, BytesBeyondTheImageAreNeverSources) {
  // The buffer's last row and column lie outside the delivered image.
  const Picture page = {
      "kkbkkr",
      "kkkkkr",
      "kkkkfr",
      "rrrrrr"};
  FilterOnPage rig(Drawn(page), plugInModeRGBColor);
  rig.record.outRect = VRect{0, 0, 3, 5};
  rig.filter.AddJoinArea(4, 2);
  CTesselParams params;
  rig.filter.DoJoinAreas(params);
  EXPECT_EQ(Seen(rig)[2], "kkkkbr");
}

TEST_F(Join, OnePixelImageKeepsTheFlag) { EXPECT_EQ(Joined({"f"}, {{0, 0}}), Picture{"f"}); }

TEST_F(Join, CornerSeedLooksRightAndBelow) {
  const Picture page = {
      "fkk",
      "kgk",
      "kkr"};
  EXPECT_EQ(Joined(page, {{0, 0}})[0], "gkk");
}

TEST_F(Join, EarlierJoinedRegionServesALaterOne) {
  const Picture page = {
      "kkkkkkk",
      "rfkfkkb",
      "kkkkkkk"};
  // The left region takes red; the right one then finds that red nearer than blue.
  EXPECT_EQ(Joined(page, {{1, 1}, {3, 1}})[1], "rrkrkkb");
  // Listed first, the right region sees only flag beside it and reaches blue.
  EXPECT_EQ(Joined(page, {{3, 1}, {1, 1}})[1], "rrkbkkb");
}

TEST_F(Join, SeedNoLongerInTheFlagPaintsNothing) {
  const Picture page = {
      "kkkk",
      "rffk",
      "kkkk"};
  EXPECT_EQ(Joined(page, {{1, 1}, {2, 1}})[1], "rrrk");
}

TEST_F(Join, DarkCmykNeighbourIsPassedOver) {
  FilterOnPage rig(Page(3, 3, 4, Layout::kInterleaved), plugInModeCMYKColor);
  const Bytes flag{255, 0, 255, 255};
  const Bytes darkInk{200, 200, 200, 150};
  const Bytes usable{100, 150, 200, 255};
  for (int64_t y = 0; y < 3; ++y)
    for (int64_t x = 0; x < 3; ++x) rig.Set(x, y, {0, 0, 0, 0});
  rig.Set(1, 1, flag);
  rig.Set(1, 2, darkInk);
  rig.Set(2, 1, usable);
  rig.filter.AddJoinArea(1, 1);
  CTesselParams params;
  rig.filter.DoJoinAreas(params);
  EXPECT_EQ(rig.Get(1, 1), usable);
  EXPECT_EQ(rig.Get(1, 2), darkInk);
}

TEST_F(Join, EmptyListStillSetsTheFlagRangeAndPlainTest) {
  const Picture page = {"rfb"};
  FilterOnPage rig(Drawn(page), plugInModeRGBColor);
  rig.filter.mPaintAA = true;
  rig.SetRange({1, 2, 3, 0}, {4, 5, 6, 0});
  CTesselParams params;
  rig.filter.DoJoinAreas(params);
  EXPECT_FALSE(rig.filter.mPaintAA);
  EXPECT_EQ(Of(rig.filter.mFillLow), (Bytes{255, 0, 255, 0}));
  EXPECT_EQ(Of(rig.filter.mFillHigh), (Bytes{255, 0, 255, 0}));
  EXPECT_EQ(Seen(rig), page);
}

TEST_F(Join, SearchGivesUpAtTheRingLimit) {
  // Red twelve rows below the seed, all else black: ring twelve reaches it.
  Picture page(25, std::string(25, 'k'));
  page[5][12] = 'f';
  page[17][12] = 'r';
  for (uint16_t limit : {11, 12, 20}) {
    FilterOnPage rig(Drawn(page), plugInModeRGBColor);
    rig.filter.AddJoinArea(12, 5);
    CTesselParams params;
    rig.filter.DoJoinAreas(params, limit);
    EXPECT_EQ(Seen(rig)[5][12], limit < 12 ? 'f' : 'r') << "ring limit " << limit;
  }
}

}  // namespace
}  // namespace tessel::testing
