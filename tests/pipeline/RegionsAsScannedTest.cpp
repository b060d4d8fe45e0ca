// What is found beside the filter's scan, as its rows are released a few at
// a time from another thread, against what the flats find after it at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "flats/LineSpanFinder.h"
#include "flats/Neighbours.h"
#include "pipeline/RegionsAsScanned.h"
#include "tests/support/LineArt.h"

namespace tessel::testing {
namespace {

TEST(RegionsAsScanned, FindTheMaskRunsAndMapUnderTheLinesAsFoundAtOnce) {
  const Page art = DrawComicPage(300, 420, 3, 60, 7);
  base::ImageBuffer asRead({art.width, art.height, 3, base::PlaneLayout::Interleaved, 0});
  std::memcpy(asRead.data(), art.bytes.data(), art.bytes.size());
  // The filter's result: every white pixel painted.
  base::ImageBuffer result(asRead.geometry());
  std::memcpy(result.data(), art.bytes.data(), art.bytes.size());
  for (int64_t y = 0; y < art.height; ++y)
    for (int64_t x = 0; x < art.width; ++x)
      if (result.Pixel(x, y) == std::vector<uint8_t>{255, 255, 255})
        result.SetPixel(x, y, {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7});

  base::RowGate scanned;
  pipeline::RegionsAsScanned beside(asRead, result, scanned, pipeline::RegionsAsScanned::kRunsAndLines);
  std::thread scan([&] {
    // Slow enough for the thread beside it to wait, and find lines meanwhile.
    for (int64_t rows = 0; rows < art.height; rows += 7) {
      scanned.Release(rows);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  });
  scan.join();
  std::optional<flats::RegionRuns> runs;
  flats::LineSpans::Band found;
  const flats::RegionMask mask = beside.Finish(&runs, &found);
  ASSERT_TRUE(runs);
  EXPECT_GT(found.rowEnds.size(), 0u);

  const flats::RegionMask atOnce = flats::ChangedPixels(asRead, result);
  for (int64_t y = 0; y < art.height; ++y)
    for (int64_t x = 0; x < art.width; ++x) ASSERT_EQ(mask.at(x, y), atOnce.at(x, y)) << x << ", " << y;
  flats::LabelRegionRuns(*runs, mask, result, 3);
  flats::LineSpans lines = flats::FindLineSpans(mask, *runs, std::move(found));
  const flats::NeighbourLists neighbours = flats::FindNeighbours(*runs, lines);

  const flats::RegionRuns map = flats::FindRegionRuns(atOnce, result, 3);
  flats::LineSpans linesAtOnce;
  const flats::NeighbourLists neighboursAtOnce = flats::FindNeighbours(atOnce, map, &linesAtOnce);
  ASSERT_EQ(runs->rowStart, map.rowStart);
  ASSERT_EQ(neighbours.size(), neighboursAtOnce.size());
  for (size_t i = 0; i < neighbours.size(); ++i)
    ASSERT_TRUE(std::equal(neighbours[i].begin(), neighbours[i].end(), neighboursAtOnce[i].begin(),
                           neighboursAtOnce[i].end()))
        << "region " << i;
  for (int64_t y = 0; y < art.height; ++y) {
    const auto [span, last] = lines.Row(y);
    const auto [other, otherLast] = linesAtOnce.Row(y);
    ASSERT_TRUE(std::equal(span, last, other, otherLast, [](const auto& a, const auto& b) {
      return a.end == b.end && a.region == b.region;
    })) << "row " << y;
  }
}

}  // namespace
}  // namespace tessel::testing
