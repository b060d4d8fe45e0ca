// Flats from a real run of the module on drawn line art (lines 1 to 9 pixels
// wide, hard and anti-aliased): the regions are the filter's, in its colours
// and order; every other pixel takes the colour of its nearest region pixel,
// checked against a brute-force search; the merged page is page x flats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <random>
#include <vector>

#include "flats/Compose.h"
#include "flats/NearestRegion.h"
#include "flats/RegionMap.h"
#include "flats/RegionMask.h"
#include "pipeline/PageFlats.h"
#include "tests/support/LineArt.h"
#include "tests/support/RunFixture.h"

namespace tessel::test {
namespace {

using base::ImageBuffer;

struct Point {
  int64_t x, y;
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// The nearest pixel with `inRegion` set, by squared distance, then leftmost
// column, then upper row: the documented tie rule, by exhaustive search.
template <typename InRegion>
Point BruteForceNearest(int64_t width, int64_t height, int64_t x, int64_t y, const InRegion& inRegion) {
  Point best{-1, -1};
  int64_t bestDistance = -1;
  for (int64_t cx = 0; cx < width; ++cx)
    for (int64_t cy = 0; cy < height; ++cy) {
      if (!inRegion(cx, cy)) continue;
      const int64_t d = (cx - x) * (cx - x) + (cy - y) * (cy - y);
      if (bestDistance < 0 || d < bestDistance) best = {cx, cy}, bestDistance = d;
    }
  return best;
}

TEST(NearestRegion, EveryOutsidePixelFindsTheBruteForceNearestWithItsTies) {
  // Sparse random points make many exact ties; dense masks make runs of every
  // length; a single point and a full row reach the page's edges.
  std::mt19937 random(7);
  for (const double density : {0.002, 0.02, 0.3, 0.9}) {
    for (const int64_t width : {1, 2, 17, 64, 130}) {
      const int64_t height = 45;
      flats::RegionMask mask(width, height);
      std::bernoulli_distribution pick(density);
      for (int64_t y = 0; y < height; ++y)
        for (int64_t x = 0; x < width; ++x)
          if (pick(random)) mask.Set(x, y);
      mask.Set(static_cast<int64_t>(random() % width), static_cast<int64_t>(random() % height));
      std::vector<int> visits(static_cast<size_t>(height), 0);
      const flats::NearestRowVisitor check = [&](int64_t y, const int32_t* fromX, const int32_t* fromY) {
        ++visits[static_cast<size_t>(y)];
        for (int64_t x = 0; x < width; ++x) {
          if (mask.at(x, y)) continue;
          const Point expected =
              BruteForceNearest(width, height, x, y, [&](int64_t cx, int64_t cy) { return mask.at(cx, cy); });
          ASSERT_EQ((Point{fromX[x], fromY[x]}), expected)
              << "(" << x << ", " << y << ") density " << density << " width " << width << ": got (" << fromX[x]
              << ", " << fromY[x] << "), want (" << expected.x << ", " << expected.y << ")";
          // Looked for near the pixel alone: the same, or none when it lies farther.
          const int64_t radius = 1 + static_cast<int64_t>(random() % 8);
          Point near{-1, -1};
          const bool found = flats::NearestRegionPixel(width, height, x, y, radius,
                                                       [&](int64_t u, int64_t v) { return mask.at(u, v); }, near.x, near.y);
          const int64_t far = (expected.x - x) * (expected.x - x) + (expected.y - y) * (expected.y - y);
          ASSERT_EQ(found, far <= radius * radius) << "(" << x << ", " << y << ") within " << radius;
          if (found) {
            ASSERT_EQ(near, expected) << "(" << x << ", " << y << ") within " << radius;
          }
        }
      };
      ASSERT_TRUE(flats::VisitNearestRegionPixels(mask, check));
      // Again in two bands of rows, split anywhere: each row as the whole visit saw it.
      const int64_t split = 1 + static_cast<int64_t>(random() % (height - 1));
      flats::VisitNearestRegionPixels(mask, check, 0, split);
      flats::VisitNearestRegionPixels(mask, check, split, height);
      for (int64_t y = 0; y < height; ++y) {
        bool outside = false;
        for (int64_t x = 0; x < width; ++x) outside = outside || !mask.at(x, y);
        EXPECT_EQ(visits[static_cast<size_t>(y)], outside ? 2 : 0) << "row " << y;
      }
    }
  }
  const flats::RegionMask none(70, 2);
  EXPECT_FALSE(flats::VisitNearestRegionPixels(none, [](int64_t, const int32_t*, const int32_t*) { FAIL(); }));
}

// A page of shapes and strokes in every width from 1 to 9 pixels.
testing::Page DrawnPage() {
  testing::Page art(150, 110, 3, testing::Layout::kInterleaved);
  for (int width = 1; width <= 9; ++width) {
    testing::LineStyle style{width / 2.0, width % 2 == 0};
    const double x = 8 + 15.5 * (width - 1);
    testing::DrawLine(art, x, 2, x + 7, 107, style);
    testing::DrawEllipse(art, x + 4, 20 + 8 * (width % 3), 5 + width, 7, style);
  }
  testing::DrawLine(art, 0, 60, 149, 75, {2.5, true});
  testing::DrawLine(art, 0, 90, 149, 88, {0.5, false});
  return art;
}

class FlatsOfARun : public RunFixture {
 protected:
  void SetUp() override {
    const testing::Page art = DrawnPage();
    page = FilledPage(art.width, art.height, 3, 255);
    for (int64_t y = 0; y < art.height; ++y)
      for (int64_t x = 0; x < art.width; ++x)
        for (int p = 0; p < 3; ++p) page->at(x, y, p) = art.at(x, y, p);
    result = Copy(*page);
    CTesselParams params;
    params.randomColors = 1;
    host::RunRequest request;
    request.image = result.get();
    request.replay = DescriptorOf(params);
    request.presetsFolder = presets.path().string();
    ASSERT_EQ(RunCaptured(request).result, 0) << shown;
    for (int64_t y = 0; y < art.height; ++y)
      for (int64_t x = 0; x < art.width; ++x) painted.push_back(page->Pixel(x, y) != result->Pixel(x, y));
  }
  bool Painted(int64_t x, int64_t y) const { return painted[static_cast<size_t>(y * page->width() + x)]; }

  std::unique_ptr<base::ImageBuffer> page, result;
  std::vector<bool> painted;
};

TEST_F(FlatsOfARun, RegionsAreTheFiltersInItsColoursAndOrder) {
  const flats::RegionMap map = flats::MapRegions(flats::ChangedPixels(*page, *result), *result, 3);
  // Reference: 4-connected flood fill of the painted pixels, seeded in scan order.
  const int64_t width = page->width(), height = page->height();
  std::vector<int32_t> reference(static_cast<size_t>(width * height), 0);
  int32_t regions = 0;
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x) {
      if (!Painted(x, y) || reference[static_cast<size_t>(y * width + x)]) continue;
      ++regions;
      std::deque<Point> todo{{x, y}};
      reference[static_cast<size_t>(y * width + x)] = regions;
      while (!todo.empty()) {
        const Point p = todo.front();
        todo.pop_front();
        for (const Point n : {Point{p.x - 1, p.y}, Point{p.x + 1, p.y}, Point{p.x, p.y - 1}, Point{p.x, p.y + 1}}) {
          if (n.x < 0 || n.y < 0 || n.x >= width || n.y >= height) continue;
          int32_t& label = reference[static_cast<size_t>(n.y * width + n.x)];
          if (label || !Painted(n.x, n.y)) continue;
          label = regions;
          todo.push_back(n);
        }
      }
    }
  ASSERT_GT(regions, 20);
  ASSERT_EQ(static_cast<int32_t>(map.regions.size()), regions);
  EXPECT_EQ(map.labels, reference);
  std::vector<int64_t> area(static_cast<size_t>(regions), 0);
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x) {
      const int32_t label = map.at(x, y);
      if (!label) continue;
      const flats::Region& region = map.regions[static_cast<size_t>(label - 1)];
      ++area[static_cast<size_t>(label - 1)];
      ASSERT_EQ(result->Pixel(x, y), region.colour) << "(" << x << ", " << y << ") region " << label;
      ASSERT_TRUE(region.firstY < y || (region.firstY == y && region.firstX <= x));
    }
  for (int32_t i = 0; i < regions; ++i) EXPECT_EQ(map.regions[static_cast<size_t>(i)].area, area[static_cast<size_t>(i)]);
}

TEST_F(FlatsOfARun, LinesTakeTheirNearestRegionsColourAndThePageMultipliesOver) {
  base::ImageBuffer flats = pipeline::KeepPage(*result);
  ASSERT_TRUE(flats::FillUnderLines(flats::ChangedPixels(*page, *result), flats, 3));
  const int64_t width = page->width(), height = page->height();
  int64_t linePixels = 0;
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x) {
      if (Painted(x, y)) {
        ASSERT_EQ(flats.Pixel(x, y), result->Pixel(x, y)) << "region pixel (" << x << ", " << y << ")";
        continue;
      }
      ++linePixels;
      const Point from = BruteForceNearest(width, height, x, y, [&](int64_t cx, int64_t cy) { return Painted(cx, cy); });
      ASSERT_EQ(flats.Pixel(x, y), result->Pixel(from.x, from.y)) << "line pixel (" << x << ", " << y << ")";
    }
  ASSERT_GT(linePixels, 1000);

  base::ImageBuffer merged = pipeline::KeepPage(flats);
  flats::MultiplyOver(*page, merged, 3);
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x)
      for (int p = 0; p < 3; ++p)
        ASSERT_EQ(merged.at(x, y, p), std::lround(page->at(x, y, p) * flats.at(x, y, p) / 255.0))
            << "(" << x << ", " << y << ") plane " << p;
}

TEST(MultiplyOver, EveryPairOfBytesAndTheTransparencyLeftAlone) {
  // CMYK with transparency, in the editor's bytes: 256 x 256 pixels hold
  // every pair of page and flats bytes once in each ink.
  base::ImageBuffer page({256, 256, 5, base::PlaneLayout::Interleaved, 0}),
      flats({256, 256, 5, base::PlaneLayout::Planar, 0});
  for (int64_t y = 0; y < 256; ++y)
    for (int64_t x = 0; x < 256; ++x)
      for (int p = 0; p < 5; ++p) {
        page.at(x, y, p) = static_cast<uint8_t>(x + p);
        flats.at(x, y, p) = static_cast<uint8_t>(y + 3 * p);
      }
  base::ImageBuffer expected = pipeline::KeepPage(flats);
  flats::MultiplyOver(page, flats, 4);
  for (int64_t y = 0; y < 256; ++y)
    for (int64_t x = 0; x < 256; ++x) {
      for (int p = 0; p < 4; ++p)
        ASSERT_EQ(flats.at(x, y, p), std::lround(page.at(x, y, p) * expected.at(x, y, p) / 255.0)) << x << "," << y;
      ASSERT_EQ(flats.at(x, y, 4), expected.at(x, y, 4));
    }
  // Into the page instead, band by band, as flats written while made are.
  base::ImageBuffer intoPage = pipeline::KeepPage(page);
  for (int64_t begin = 0; begin < 256; begin += 100)
    flats::MultiplyOver(intoPage, expected, intoPage, 4, begin, std::min<int64_t>(begin + 100, 256));
  EXPECT_EQ(intoPage.FirstDifference(flats), std::nullopt);
}

TEST(KeepPage, CopiesIntoAMappedBufferOnlyOfThePagesOwnGeometry) {
  base::ImageBuffer page({40, 30, 4, base::PlaneLayout::Planar, 0});
  for (int64_t y = 0; y < 30; ++y)
    for (int64_t x = 0; x < 40; ++x)
      for (int p = 0; p < 4; ++p) page.at(x, y, p) = static_cast<uint8_t>(x * 7 + y * 3 + p);
  const base::ImageGeometry interleaved{40, 30, 4, base::PlaneLayout::Interleaved, 0},
      turned{30, 40, 4, base::PlaneLayout::Planar, 0};
  for (const base::ImageGeometry& mapped : {page.geometry(), interleaved, turned})
    EXPECT_EQ(pipeline::KeepPage(page, base::ImageBuffer(mapped)).FirstDifference(page), std::nullopt);
}

TEST(ChangedPixels, EveryPixelWithAnyPlaneChangedWhateverThePlanesWidthOrLayout) {
  std::mt19937 random(11);
  for (const int planes : {1, 2, 3, 4, 5, 6})
    for (const int64_t width : {1, 63, 64, 65, 100, 130})
      for (const auto layout : {base::PlaneLayout::Interleaved, base::PlaneLayout::Planar}) {
        const int64_t height = 3;
        base::ImageBuffer before({width, height, planes, base::PlaneLayout::Interleaved, 0});
        base::ImageBuffer after({width, height, planes, layout, 0});
        std::vector<bool> changed;
        for (int64_t y = 0; y < height; ++y)
          for (int64_t x = 0; x < width; ++x) {
            // Often unchanged; when changed, in one plane only, the last as often as the first.
            const bool differs = random() % 3 == 0;
            const int plane = static_cast<int>(random() % static_cast<unsigned>(planes));
            for (int p = 0; p < planes; ++p) {
              const auto byte = static_cast<uint8_t>(random());
              before.at(x, y, p) = byte;
              after.at(x, y, p) = differs && p == plane ? static_cast<uint8_t>(byte ^ (1u << (random() % 8))) : byte;
            }
            changed.push_back(differs);
          }
        const flats::RegionMask mask = flats::ChangedPixels(before, after);
        for (int64_t y = 0; y < height; ++y)
          for (int64_t x = 0; x < width; ++x)
            ASSERT_EQ(mask.at(x, y), changed[static_cast<size_t>(y * width + x)])
                << planes << " planes, " << width << " wide, at " << x << "," << y;
        // Nothing past the width is taken for a pixel: a page unchanged has no region at all.
        ASSERT_TRUE(flats::ChangedPixels(before, before).empty()) << planes << " planes, " << width << " wide";
      }
}

}  // namespace
}  // namespace tessel::test
