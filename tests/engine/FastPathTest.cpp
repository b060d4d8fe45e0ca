// The fill's fast path (16-pixel block tests, bulk painting, pooled runs)
// against the plain definition kept here: a fill that asks one pixel at a time
// through the filter's callback, one heap block per run, and a scan that tests
// every pixel. Both must paint the same pixels and measure the same regions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/BlockTest.h"
#include "engine/TesselFill.h"
#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

// ---- The plain definition

struct ReferenceSegment {
  int64_t y, left, right, upX, downX;
  FillCallback fillFunc;
};

std::unique_ptr<ReferenceSegment> ReferenceBuild(int64_t x, int64_t y, FillCallback fill) {
  auto s = std::make_unique<ReferenceSegment>(ReferenceSegment{y, x, x, 0, 0, fill});
  while (fill(s->left - 1, y)) --s->left;
  while (fill(s->right + 1, y)) ++s->right;
  s->upX = s->downX = s->left;
  return s;
}

std::unique_ptr<ReferenceSegment> ReferenceNext(ReferenceSegment& s) {
  for (; s.upX <= s.right; ++s.upX)
    if (s.fillFunc(s.upX, s.y - 1)) {
      auto child = ReferenceBuild(s.upX, s.y - 1, s.fillFunc);
      s.upX = std::min(child->right, s.right);
      return child;
    }
  for (; s.downX <= s.right; ++s.downX)
    if (s.fillFunc(s.downX, s.y + 1)) {
      auto child = ReferenceBuild(s.downX, s.y + 1, s.fillFunc);
      s.downX = std::min(child->right, s.right);
      return child;
    }
  return nullptr;
}

void ReferenceFill(int64_t x, int64_t y, FillCallback fill) {
  if (!fill(x, y)) return;
  std::unique_ptr<ReferenceSegment> current = ReferenceBuild(x, y, fill);
  std::vector<std::unique_ptr<ReferenceSegment>> pending;
  while (current) {
    if (auto child = ReferenceNext(*current)) {
      pending.push_back(std::move(current));
      current = std::move(child);
    } else if (pending.empty()) {
      current.reset();
    } else {
      current = std::move(pending.back());
      pending.pop_back();
    }
  }
}

bool ReferenceIsSmall(const CTessel& f, const CTesselParams& p, uint64_t size) {
  if (p.measureByArea) return f.mAreaCount <= size;
  return uint64_t(f.mMaxX - f.mMinX) < size && uint64_t(f.mMaxY - f.mMinY) < size;
}

struct RegionRecord {
  uint64_t area;
  int64_t minX, minY, maxX, maxY;
  bool operator==(const RegionRecord& o) const {
    return area == o.area && minX == o.minX && minY == o.minY && maxX == o.maxX && maxY == o.maxY;
  }
};

// The scan, one pixel at a time; records each region's measurements.
std::vector<RegionRecord> ReferenceScan(FilterOnPage& rig, CTesselParams& params) {
  CTessel& f = rig.filter;
  sTesselFilter = &f;
  f.mPaintColor[3] = 255;
  std::vector<RegionRecord> records;
  for (int64_t y = 0; y < rig.record.outRect.bottom; ++y)
    for (int64_t x = 0; x < rig.record.outRect.right; ++x) {
      const PixelGeometry g = PixelGeometry::FromOutput(rig.record);
      if (!CurrentFillTest(f).Passes(g.At(x, y), g.planeBytes)) continue;
      f.NextColor();
      f.mAreaCount = 0;
      f.mMinX = f.mMaxX = x;
      f.mMinY = f.mMaxY = y;
      ReferenceFill(x, y, CTessel::FillFunc);
      records.push_back({f.mAreaCount, f.mMinX, f.mMinY, f.mMaxX, f.mMaxY});
      const bool join = params.joinAreas && ReferenceIsSmall(f, params, params.joinSize);
      if (join) f.AddJoinArea(uint32_t(x), uint32_t(y));
      if (join || (params.flagAreas && ReferenceIsSmall(f, params, params.flagSize))) {
        std::copy(f.mPaintColor, f.mPaintColor + 4, f.mFillLow);
        std::copy(f.mPaintColor, f.mPaintColor + 4, f.mFillHigh);
        f.mPaintAA = false;
        f.ConvertColor(params.flagColor, f.mPaintColor);
        if (f.ValidatePaintColor(false)) ReferenceFill(x, y, CTessel::FillFunc);
        rig.Prepare(params);
      }
    }
  return records;
}

Page Sketch(int planes, Layout layout, uint32_t seed, bool softLines) {
  Page page(301, 157, planes, layout);
  SketchOptions options;
  options.shapes = 120;
  options.largestRadius = 40;
  options.style = LineStyle{softLines ? 1.0 : 0.6, softLines};
  options.seed = seed;
  DrawRandomShapes(page, options);
  return page;
}

int16_t ModeOf(int planes) { return planes == 4 ? plugInModeCMYKColor : planes == 1 ? plugInModeGrayScale : plugInModeRGBColor; }

struct PageCase {
  int planes;
  Layout layout;
  bool antiAliasedTest;
};

class FastPath : public ::testing::TestWithParam<PageCase> {};

TEST_P(FastPath, EachFillPaintsAndMeasuresAsTheDefinition) {
  const PageCase c = GetParam();
  FilterOnPage fast(Sketch(c.planes, c.layout, 5, true), ModeOf(c.planes));
  FilterOnPage plain(fast.page, ModeOf(c.planes));
  CTesselParams params;
  params.paintAntiAliased = c.antiAliasedTest;
  params.tolerance = 30;
  fast.Prepare(params);
  plain.Prepare(params);
  const Bytes paint{10, 200, 120, 255};  // fails both test forms in every mode
  int fills = 0;
  for (int64_t y = 0; y < fast.page.height; ++y)
    for (int64_t x = 0; x < fast.page.width; ++x) {
      const PixelGeometry g = PixelGeometry::FromOutput(plain.record);
      if (!CurrentFillTest(plain.filter).Passes(g.At(x, y), g.planeBytes)) continue;
      ++fills;
      fast.SetPaint(paint);
      plain.SetPaint(paint);
      fast.StartArea(x, y);
      plain.StartArea(x, y);
      fast.filter.FloodFill(uint32_t(x), uint32_t(y));
      sTesselFilter = &plain.filter;
      ReferenceFill(x, y, CTessel::FillFunc);
      ASSERT_EQ(fast.filter.mAreaCount, plain.filter.mAreaCount) << x << "," << y;
      ASSERT_EQ(fast.filter.mMinX, plain.filter.mMinX);
      ASSERT_EQ(fast.filter.mMaxX, plain.filter.mMaxX);
      ASSERT_EQ(fast.filter.mMinY, plain.filter.mMinY);
      ASSERT_EQ(fast.filter.mMaxY, plain.filter.mMaxY);
    }
  EXPECT_GT(fills, 20);
  EXPECT_EQ(fast.page.bytes, plain.page.bytes);
}

class FastScan : public FastPath {};

TEST_P(FastScan, WholeScanPaintsAsTheDefinition) {
  const PageCase c = GetParam();
  for (bool softLines : {true, false}) {
    FilterOnPage fast(Sketch(c.planes, c.layout, 9, softLines), ModeOf(c.planes));
    FilterOnPage plain(fast.page, ModeOf(c.planes));
    CTesselParams params;
    params.paintAntiAliased = c.antiAliasedTest;
    params.tolerance = 30;
    params.flagAreas = params.joinAreas = 1;
    params.flagSize = 12;
    params.joinSize = 4;
    std::srand(3);
    fast.Prepare(params);
    bool found = false;
    ASSERT_EQ(fast.filter.ScanImage(params, found), noErr);
    std::srand(3);
    plain.Prepare(params);
    const std::vector<RegionRecord> regions = ReferenceScan(plain, params);
    EXPECT_GT(regions.size(), 30u);
    EXPECT_EQ(fast.page.bytes, plain.page.bytes) << (softLines ? "soft" : "hard") << " lines";
    ASSERT_EQ(fast.filter.mJoinList.size(), plain.filter.mJoinList.size());
    for (size_t i = 0; i < fast.filter.mJoinList.size(); ++i) {
      EXPECT_EQ(fast.filter.mJoinList[i].x, plain.filter.mJoinList[i].x);
      EXPECT_EQ(fast.filter.mJoinList[i].y, plain.filter.mJoinList[i].y);
    }
  }
}

// Every mode, layout and test form; `paintable` drops anti-aliased grey, which
// no colour can paint (a scan refuses it before painting).
std::vector<PageCase> PageCases(bool paintable) {
  std::vector<PageCase> cases;
  for (int planes : {1, 3, 4})
    for (Layout layout : {Layout::kInterleaved, Layout::kPlanar})
      for (bool aa : {true, false})
        if (!(paintable && planes == 1 && aa)) cases.push_back({planes, layout, aa});
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<PageCase>& info) {
  const PageCase& c = info.param;
  return std::to_string(c.planes) + "Planes" + (c.layout == Layout::kPlanar ? "Planar" : "Interleaved") +
         (c.antiAliasedTest ? "AaTest" : "Tolerance");
}

INSTANTIATE_TEST_SUITE_P(Pages, FastPath, ::testing::ValuesIn(PageCases(false)), CaseName);
INSTANTIATE_TEST_SUITE_P(Pages, FastScan, ::testing::ValuesIn(PageCases(true)), CaseName);

// ---- Block tests: vector and portable code answer alike

// Bytes that sit on and around every threshold of both test forms.
uint8_t EdgyByte(std::mt19937& random, uint8_t low, uint8_t high) {
  const uint8_t picks[] = {0, 1, 15, 16, 17, 18, 89, 90, 91, 249, 250, 251, 252, 254, 255,
                           low, uint8_t(low - 1), high, uint8_t(high + 1), uint8_t(random())};
  return picks[random() % sizeof picks];
}

TEST(BlockTest, VectorAndPortableAnswersAgreeWithThePixelTest) {
  std::mt19937 random(17);
  struct Layout3 {
    int64_t columnBytes, planeStep;
    int planes;
  };
  const Layout3 layouts[] = {{1, 1, 1}, {1, 40, 2}, {1, 40, 3}, {1, 40, 4}, {3, 1, 1},
                             {3, 1, 3}, {4, 1, 3},  {4, 1, 4},  {2, 1, 2},  {5, 1, 4}};
  for (const Layout3& layout : layouts)
    for (bool aa : {true, false})
      for (int trial = 0; trial < 300; ++trial) {
        FillTest test{layout.planes, aa, {}, {}};
        for (int k = 0; k < 4; ++k) {
          const uint8_t a = uint8_t(random()), b = uint8_t(random());
          test.low[k] = std::min(a, b);
          test.high[k] = std::max(a, b);
        }
        std::vector<uint8_t> bytes(17 * 5 + 4 * 40 + 16);
        for (uint8_t& v : bytes) v = EdgyByte(random, test.low[0], test.high[0]);
        // Neutral greys within one step of each other, now and then.
        if (trial % 3 == 0)
          for (int i = 0; i < 16; ++i)
            for (int k = 1; k < layout.planes; ++k)
              bytes[size_t(i * layout.columnBytes + k * layout.planeStep)] =
                  uint8_t(bytes[size_t(i * layout.columnBytes)] + (random() % 2));
        uint32_t expected = 0;
        for (int i = 0; i < kBlockPixels; ++i)
          if (test.Passes(&bytes[size_t(i * layout.columnBytes)], layout.planeStep)) expected |= 1u << i;
        for (bool vector : {true, false}) {
          const BlockMaskFn mask = ChooseBlockMask(test, layout.columnBytes, layout.planeStep, vector);
          ASSERT_EQ(mask(test, bytes.data(), layout.columnBytes, layout.planeStep), expected)
              << "stride " << layout.columnBytes << " planes " << layout.planes << (aa ? " aa" : " tolerance")
              << (vector ? " vector" : " portable");
        }
      }
}

}  // namespace
}  // namespace tessel::testing
