// The ring generator and the joining search against the literal definition:
// every ring stored in one ordered multimap, inserted with position hints, and
// a search that tries every displacement in turn. Both must yield the same
// displacements, give up at the same place and choose the same pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/JoinSearch.h"
#include "engine/JoinSources.h"
#include "engine/PixelDistance.h"
#include "tests/engine/LiteralRings.h"

namespace {

// ---- Random cases

struct Image {
  int64_t width, height;
  std::vector<bool> sources;
  bool at(int64_t x, int64_t y) const { return sources[static_cast<size_t>(y * width + x)]; }
};

std::mt19937 gRandom(2026);

int64_t Uniform(int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(gRandom); }

// Often one to three pixels wide or high, where searches give up early.
int64_t Side() {
  const int64_t kind = Uniform(0, 3);
  return kind == 0 ? Uniform(1, 3) : kind == 1 ? Uniform(4, 20) : Uniform(21, 90);
}

// The seed often on an edge or in a corner.
int64_t Coordinate(int64_t length) {
  const int64_t kind = Uniform(0, 3);
  return kind == 0 ? 0 : kind == 1 ? length - 1 : Uniform(0, length - 1);
}

uint16_t RingLimit() {
  const int64_t kind = Uniform(0, 2);
  return static_cast<uint16_t>(kind == 0 ? Uniform(5, 40) : CPixelDistance::kMaxLevels);
}

// Marks `count` pixels at one random squared distance from (sx, sy), in
// symmetric positions, so that the order among equals decides.
void AddTies(Image& image, int64_t sx, int64_t sy, int count) {
  const int64_t a = Uniform(0, 30), b = Uniform(0, 30);
  for (int i = 0; i < count; ++i) {
    const int64_t u = i % 2 ? a : b, v = i % 2 ? b : a;
    const int64_t x = sx + (i & 2 ? -u : u), y = sy + (i & 4 ? -v : v);
    if (x >= 0 && y >= 0 && x < image.width && y < image.height)
      image.sources[static_cast<size_t>(y * image.width + x)] = true;
  }
}

void AddScattered(Image& image, double share) {
  std::bernoulli_distribution pick(share);
  for (size_t i = 0; i < image.sources.size(); ++i)
    if (pick(gRandom)) image.sources[i] = true;
}

uint64_t BruteNearest(const Image& image, int64_t sx, int64_t sy) {
  uint64_t best = JoinSources::kNone;
  for (int64_t y = 0; y < image.height; ++y)
    for (int64_t x = 0; x < image.width; ++x)
      if (image.at(x, y) && (x != sx || y != sy))
        best = std::min(best, static_cast<uint64_t>((x - sx) * (x - sx) + (y - sy) * (y - sy)));
  return best;
}

CPixelDistance::Bounds SeenFrom(const Image& image, int64_t sx, int64_t sy) {
  return {static_cast<int32_t>(-sy), static_cast<int32_t>(-sx), static_cast<int32_t>(image.height - 1 - sy),
          static_cast<int32_t>(image.width - 1 - sx)};
}

TEST(JoinSearch, GeneratorFollowsTheLiteralOneThroughRandomSearches) {
  int searches = 0, gaveUp = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const uint16_t limit = RingLimit();
    CPixelDistance rings(limit);
    tessel::testing::LiteralRings literal(limit);
    for (int search = 0; search < 10; ++search, ++searches) {
      const int64_t width = Side(), height = Side();
      const CPixelDistance::Bounds bounds = SeenFrom(Image{width, height, {}}, Coordinate(width), Coordinate(height));
      rings.mBounds = literal.mBounds = bounds;
      const unsigned radius = Uniform(0, 3) == 0 ? static_cast<unsigned>(Uniform(1, 14)) : 0;
      int x = 0, y = 0, lx = 0, ly = 0;
      bool more = rings.GetFirstXY(x, y, radius);
      bool literalMore = literal.GetFirstXY(lx, ly, radius);
      for (int64_t steps = Uniform(1, 3000); steps > 0; --steps) {
        ASSERT_EQ(more, literalMore) << "trial " << trial << " search " << search;
        ASSERT_EQ(std::make_pair(x, y), std::make_pair(lx, ly)) << "trial " << trial << " search " << search;
        if (!more) {
          ++gaveUp;
          break;
        }
        more = rings.GetNextXY(x, y);
        literalMore = literal.GetNextXY(lx, ly);
      }
    }
  }
  EXPECT_GT(gaveUp, searches / 10);
}

TEST(JoinSearch, ChoosesTheLiteralEnumerationsPixel) {
  int found = 0, far = 0, tied = 0, failed = 0;
  for (int trial = 0; trial < 1500; ++trial) {
    Image image{Side(), Side(), {}};
    image.sources.assign(static_cast<size_t>(image.width * image.height), false);
    const double shares[] = {0, 0.0005, 0.005, 0.05, 0.3};
    AddScattered(image, shares[Uniform(0, 4)]);
    JoinSources map(image.width, image.height, [&](int64_t x, int64_t y) { return image.at(x, y); });
    const uint16_t limit = RingLimit();
    CPixelDistance rings(limit);
    tessel::testing::LiteralRings literal(limit);
    const uint64_t nearSquares[] = {0, 2, kNearJoinSquare};
    const uint64_t nearSquare = nearSquares[Uniform(0, 2)];
    for (int search = 0; search < 8; ++search) {
      const int64_t sx = Coordinate(image.width), sy = Coordinate(image.height);
      if (Uniform(0, 2) == 0) AddTies(image, sx, sy, static_cast<int>(Uniform(2, 8)));
      // Acceptance grows between searches, as regions take colours.
      for (int64_t y = 0; y < image.height; ++y)
        for (int64_t x = 0; x < image.width; ++x)
          if (image.at(x, y) && !map.Has(x, y)) map.Add(x, y);
      const auto accepts = [&](int dx, int dy) { return image.at(sx + dx, sy + dy); };
      int lx = 0, ly = 0;
      literal.mBounds = SeenFrom(image, sx, sy);
      bool expected = literal.GetFirstXY(lx, ly, 0);
      while (expected && !accepts(lx, ly)) expected = literal.GetNextXY(lx, ly);

      const uint64_t brute = BruteNearest(image, sx, sy);
      bool asked = false;
      const auto nearest = [&] {
        asked = true;
        const uint64_t square = map.NearestSquare(sx, sy);
        EXPECT_EQ(square, brute);
        return square;
      };
      rings.mBounds = SeenFrom(image, sx, sy);
      int x = 0, y = 0;
      const bool got = FindJoinSource(rings, accepts, nearest, x, y, nearSquare);
      ASSERT_EQ(got, expected) << "trial " << trial << " search " << search << " image " << image.width << "x"
                               << image.height << " seed " << sx << "," << sy << " limit " << limit;
      if (!got) {
        ++failed;
        continue;
      }
      ASSERT_EQ(std::make_pair(x, y), std::make_pair(lx, ly)) << "trial " << trial << " search " << search;
      ++found;
      far += asked && brute > 100;
      int ties = 0;
      for (int64_t ty = 0; ty < image.height; ++ty)
        for (int64_t tx = 0; tx < image.width; ++tx)
          ties += image.at(tx, ty) && SquaredLength(static_cast<int>(tx - sx), static_cast<int>(ty - sy)) == brute;
      tied += ties > 1;
      // More sources for the next searches.
      AddTies(image, sx, sy, 1);
    }
  }
  // The cases the comparison is meant to cover all occur.
  EXPECT_GT(found, 3000);
  EXPECT_GT(failed, 3000);
  EXPECT_GT(far, 500);
  EXPECT_GT(tied, 500);
}

}  // namespace
