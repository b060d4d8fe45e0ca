// The joining pass against a literal one written here from the definition:
// every listed region in turn, every displacement of the literal ring
// generator tried until a pixel may lend its colour, then the region filled.
// On random pages, mostly black with scattered colours, both must leave the
// same pixels.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/engine/FilterFixture.h"
#include "tests/engine/LiteralRings.h"

namespace tessel::testing {
namespace {

const Bytes kFlag{255, 0, 255, 0};
const Bytes kBlack{0, 0, 0, 0};
// Sources, a dark grey that cannot lend its colour, and the flag itself.
const std::vector<Bytes> kSprinkled = {
    {200, 30, 30, 0}, {30, 30, 200, 0}, {30, 200, 30, 0}, {90, 90, 90, 0}, {255, 0, 255, 0}};

void LiteralJoin(FilterOnPage& rig, CTesselParams& params, uint16_t ringLimit) {
  CTessel& filter = rig.filter;
  filter.SetFillColor(params.flagColor, 0);
  filter.mPaintAA = false;
  LiteralRings rings(ringLimit);
  for (const JoinPoint& seed : filter.mJoinList) {
    const int64_t sx = seed.x, sy = seed.y;
    rings.mBounds = {static_cast<int32_t>(-sy), static_cast<int32_t>(-sx),
                     static_cast<int32_t>(rig.page.height - 1 - sy), static_cast<int32_t>(rig.page.width - 1 - sx)};
    int dx = 0, dy = 0;
    for (bool more = rings.GetFirstXY(dx, dy, 0); more; more = rings.GetNextXY(dx, dy)) {
      const Bytes pixel = rig.Get(sx + dx, sy + dy);
      bool lit = false, outsideFill = false;
      for (int k = 0; k < filter.mPlanes; ++k) {
        lit |= pixel[k] != 0;
        outsideFill |= pixel[k] < filter.mFillLow[k] || pixel[k] > filter.mFillHigh[k];
      }
      if (!lit || !outsideFill) continue;
      for (int k = 0; k < filter.mPlanes; ++k) filter.mPaintColor[k] = pixel[k];
      if (!filter.ValidatePaintColor(false)) continue;
      filter.FloodFill(static_cast<uint32_t>(sx), static_cast<uint32_t>(sy));
      break;
    }
  }
}

TEST(JoinPass, LeavesThePixelsOfTheLiteralPass) {
  std::mt19937 random(14);
  auto uniform = [&](int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(random); };
  int changed = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const int64_t width = uniform(0, 3) == 0 ? uniform(1, 3) : uniform(4, 70);
    const int64_t height = uniform(0, 3) == 0 ? uniform(1, 3) : uniform(4, 70);
    Page page(width, height, 3, uniform(0, 1) ? Layout::kInterleaved : Layout::kPlanar);
    FilterOnPage literal(page, plugInModeRGBColor);
    for (int64_t y = 0; y < height; ++y)
      for (int64_t x = 0; x < width; ++x) literal.Set(x, y, kBlack);
    const double share = std::uniform_real_distribution<double>(0, 0.02)(random);
    for (int64_t y = 0; y < height; ++y)
      for (int64_t x = 0; x < width; ++x)
        if (std::bernoulli_distribution(share)(random)) literal.Set(x, y, kSprinkled[uniform(0, 4)]);
    // Small flagged regions, listed in random order; a few listed twice.
    std::vector<JoinPoint> seeds;
    for (int64_t i = uniform(1, 12); i > 0; --i) {
      const int64_t x = uniform(0, width - 1), y = uniform(0, height - 1);
      literal.Set(x, y, kFlag);
      if (x + 1 < width && uniform(0, 1)) literal.Set(x + 1, y, kFlag);
      seeds.push_back({static_cast<uint32_t>(x), static_cast<uint32_t>(y)});
      if (uniform(0, 5) == 0)
        seeds.push_back(seeds[static_cast<size_t>(uniform(0, static_cast<int64_t>(seeds.size()) - 1))]);
    }
    FilterOnPage fast(literal.page, plugInModeRGBColor);
    const Page before = literal.page;
    for (const JoinPoint& seed : seeds) {
      literal.filter.AddJoinArea(seed.x, seed.y);
      fast.filter.AddJoinArea(seed.x, seed.y);
    }
    const uint16_t limit = uniform(0, 1) ? CPixelDistance::kMaxLevels : static_cast<uint16_t>(uniform(10, 40));
    CTesselParams params;
    LiteralJoin(literal, params, limit);
    fast.filter.DoJoinAreas(params, limit);
    ASSERT_EQ(fast.page.bytes, literal.page.bytes) << "trial " << trial << ", " << width << "x" << height;
    changed += literal.page.bytes != before.bytes;
  }
  EXPECT_GT(changed, 100);
}

}  // namespace
}  // namespace tessel::testing
