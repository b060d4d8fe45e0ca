// The ring generator's enumeration order, growth and give-up rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "engine/PixelDistance.h"

namespace {

using XY = std::pair<int, int>;

struct Ranked {
  uint64_t key;
  int ringRank;
  XY xy;
};

// The documented order, built without the generator: by squared distance;
// within one ring and distance the listed order; across rings the larger ring
// first, except that the axis displacements of the first ten rings follow the
// smaller rings' displacements of their distance.
std::vector<XY> ExpectedOrder(int rings, uint64_t maxSquare) {
  std::vector<Ranked> all;
  for (int n = 1; n <= rings; ++n) {
    for (int d = 0; d <= n; ++d) {
      std::vector<XY> group;
      if (d == 0)
        group = {{0, n}, {n, 0}, {0, -n}, {-n, 0}};
      else if (d == n)
        group = {{n, n}, {n, -n}, {-n, -n}, {-n, n}};
      else
        group = {{d, n}, {n, d}, {n, -d}, {d, -n}, {-d, -n}, {-n, -d}, {-n, d}, {-d, n}};
      const uint64_t key = static_cast<uint64_t>(n) * n + static_cast<uint64_t>(d) * d;
      const int ringRank = (d == 0 && n <= 10) ? 1 : -n;
      for (const XY& xy : group) all.push_back({key, ringRank, xy});
    }
  }
  std::stable_sort(all.begin(), all.end(), [](const Ranked& a, const Ranked& b) {
    return a.key != b.key ? a.key < b.key : a.ringRank < b.ringRank;
  });
  std::vector<XY> order;
  for (const Ranked& r : all)
    if (r.key <= maxSquare) order.push_back(r.xy);
  return order;
}

void Unbounded(CPixelDistance& g) { g.mBounds = {-30000, -30000, 30000, 30000}; }

// The first `count` displacements of an unbounded search.
std::vector<XY> Enumerate(CPixelDistance& g, size_t count) {
  std::vector<XY> out;
  int x = 0, y = 0;
  if (!g.GetFirstXY(x, y, 0)) return out;
  out.push_back({x, y});
  while (out.size() < count && g.GetNextXY(x, y)) out.push_back({x, y});
  return out;
}

uint64_t Square(const XY& xy) {
  return static_cast<uint64_t>(xy.first * xy.first) + static_cast<uint64_t>(xy.second * xy.second);
}

TEST(PixelDistance, NewGeneratorHoldsTenRings) {
  CPixelDistance g;
  EXPECT_EQ(g.mLevels, 10);
  EXPECT_EQ(g.mMaxSquare, 100u);
  for (int n = 11; n <= 14; ++n) {
    g.AddLevel();
    EXPECT_EQ(g.mMaxSquare, static_cast<uint64_t>(n * n));
  }
}

TEST(PixelDistance, BeginsAsDocumented) {
  CPixelDistance g;
  Unbounded(g);
  const std::vector<XY> documented = {
      {0, 1},  {1, 0},  {0, -1},  {-1, 0},  {1, 1},   {1, -1},  {-1, -1}, {-1, 1}, {0, 2},
      {2, 0},  {0, -2}, {-2, 0},  {1, 2},   {2, 1},   {2, -1},  {1, -2},  {-1, -2}, {-2, -1},
      {-2, 1}, {-1, 2}, {2, 2},   {2, -2},  {-2, -2}, {-2, 2},  {0, 3}};
  const std::vector<XY> got = Enumerate(g, 2000);
  ASSERT_GE(got.size(), documented.size());
  EXPECT_EQ(std::vector<XY>(got.begin(), got.begin() + documented.size()), documented);

  auto at = [&](uint64_t square) {
    std::vector<XY> out;
    for (const XY& xy : got)
      if (Square(xy) == square) out.push_back(xy);
    return out;
  };
  EXPECT_EQ(at(50), (std::vector<XY>{{1, 7}, {7, 1}, {7, -1}, {1, -7}, {-1, -7}, {-7, -1}, {-7, 1}, {-1, 7},
                                     {5, 5}, {5, -5}, {-5, -5}, {-5, 5}}));
  // The constructor's ring 5 puts its axis displacements after ring 4's.
  EXPECT_EQ(at(25), (std::vector<XY>{{3, 4}, {4, 3}, {4, -3}, {3, -4}, {-3, -4}, {-4, -3}, {-4, 3}, {-3, 4},
                                     {0, 5}, {5, 0}, {0, -5}, {-5, 0}}));
  const std::vector<XY> hundred = at(100);
  ASSERT_EQ(hundred.size(), 12u);
  EXPECT_EQ(hundred[0], XY(6, 8));
  EXPECT_EQ(hundred[8], XY(0, 10));
}

TEST(PixelDistance, ThousandsOfDisplacementsFollowTheIndependentOrder) {
  constexpr int kRadius = 45;
  const std::vector<XY> expected = ExpectedOrder(kRadius, kRadius * kRadius);
  ASSERT_GT(expected.size(), 6000u);
  CPixelDistance g;
  Unbounded(g);
  const std::vector<XY> got = Enumerate(g, expected.size());
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(got[i], expected[i]) << "at position " << i << ", squared distance " << Square(expected[i]);
  EXPECT_EQ(std::set<XY>(got.begin(), got.end()).size(), got.size());
  EXPECT_EQ(g.mLevels, kRadius);
}

TEST(PixelDistance, RingElevenIsMadeWhenTheSearchPassesOneHundred) {
  CPixelDistance g;
  Unbounded(g);
  int x = 0, y = 0;
  ASSERT_TRUE(g.GetFirstXY(x, y, 0));
  std::vector<XY> got{{x, y}};
  while (Square(got.back()) <= 100) {
    ASSERT_EQ(g.mLevels, 10);
    ASSERT_TRUE(g.GetNextXY(x, y));
    got.push_back({x, y});
  }
  EXPECT_EQ(got.back(), XY(1, 10));
  EXPECT_EQ(g.mLevels, 11);
  EXPECT_EQ(g.mMaxSquare, 121u);
  EXPECT_EQ(got[got.size() - 2], XY(-10, 0));

  while (Square(got.back()) < 122) {
    ASSERT_TRUE(g.GetNextXY(x, y));
    got.push_back({x, y});
  }
  EXPECT_EQ(got.back(), XY(1, 11));
  const std::vector<XY> ringElevenAxes = {{0, 11}, {11, 0}, {0, -11}, {-11, 0}};
  ASSERT_GE(got.size(), 6u);
  EXPECT_EQ(std::vector<XY>(got.end() - 5, got.end() - 1), ringElevenAxes);
  EXPECT_EQ(Square(got[got.size() - 6]), 117u);
}

TEST(PixelDistance, BoundsPassOverDisplacementsWithoutEndingTheSearch) {
  CPixelDistance g;
  g.mBounds = {-5, -5, 5, 5};
  std::vector<XY> got = Enumerate(g, 6);
  EXPECT_EQ(got, (std::vector<XY>{{0, 1}, {1, 0}, {0, -1}, {-1, 0}, {1, 1}, {1, -1}}));

  // A seed in the top-left corner: the rings carry over, the search restarts.
  g.mBounds = {0, 0, 100, 100};
  got = Enumerate(g, 8);
  EXPECT_EQ(got, (std::vector<XY>{{0, 1}, {1, 0}, {1, 1}, {0, 2}, {2, 0}, {1, 2}, {2, 1}, {2, 2}}));
}

TEST(PixelDistance, OnePixelRectangleGivesUpAfterEight) {
  CPixelDistance g;
  g.mBounds = {0, 0, 0, 0};
  int x = 7, y = 7;
  EXPECT_FALSE(g.GetFirstXY(x, y, 0));
  EXPECT_EQ(XY(x, y), XY(-1, 1));
  // The next eight are outside too.
  EXPECT_FALSE(g.GetNextXY(x, y));
  EXPECT_EQ(XY(x, y), XY(1, -2));
}

TEST(PixelDistance, SearchesPastTheRectangleEndWithoutRepeats) {
  CPixelDistance g;
  g.mBounds = {-3, -2, 4, 6};
  const std::vector<XY> got = Enumerate(g, 1000);
  ASSERT_GT(got.size(), 40u);
  EXPECT_LT(got.size(), 71u);  // eight in a row outside may end it before the far corners
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_TRUE(got[i].first >= -2 && got[i].first <= 6 && got[i].second >= -3 && got[i].second <= 4);
    if (i) {
      EXPECT_LE(Square(got[i - 1]), Square(got[i]));
    }
  }
  EXPECT_EQ(std::set<XY>(got.begin(), got.end()).size(), got.size());
}

TEST(PixelDistance, StartsAtARadius) {
  CPixelDistance g;
  Unbounded(g);
  int x = 0, y = 0;
  ASSERT_TRUE(g.GetFirstXY(x, y, 2));
  EXPECT_EQ(XY(x, y), XY(0, 2));
  ASSERT_TRUE(g.GetFirstXY(x, y, 5));
  EXPECT_EQ(XY(x, y), XY(3, 4));
  // Beyond the rings made so far: from the nearest.
  ASSERT_TRUE(g.GetFirstXY(x, y, 11));
  EXPECT_EQ(XY(x, y), XY(0, 1));
  x = y = 9;
  EXPECT_FALSE(g.GetFirstXY(x, y, 101));
  EXPECT_EQ(XY(x, y), XY(9, 9));
}

TEST(PixelDistance, NextWithoutFirstStartsNearest) {
  CPixelDistance g;
  Unbounded(g);
  int x = 0, y = 0;
  ASSERT_TRUE(g.GetNextXY(x, y));
  EXPECT_EQ(XY(x, y), XY(0, 1));
}

TEST(PixelDistance, SearchGivesUpAtTheRingLimit) {
  CPixelDistance g(12);
  Unbounded(g);
  std::vector<XY> got = Enumerate(g, 10000);
  EXPECT_EQ(got, ExpectedOrder(12, 144));
  EXPECT_EQ(g.mLevels, 12);
  int x = 0, y = 0;
  EXPECT_FALSE(g.GetNextXY(x, y));
  EXPECT_EQ(g.mLevels, 12);
  // A later, nearer search still succeeds.
  g.mBounds = {0, 0, 3, 3};
  ASSERT_TRUE(g.GetFirstXY(x, y, 0));
  EXPECT_EQ(XY(x, y), XY(0, 1));
}

TEST(PixelDistance, RingLimitIsClamped) {
  CPixelDistance low(3);
  EXPECT_EQ(low.mLevels, 10);
  low.AddLevel();
  EXPECT_EQ(low.mLevels, 10);
}

}  // namespace
