// Distinct flats: the regions' runs, found at once or a few rows at a time,
// against the component labelling; the neighbour graph, and the flats of
// regions repainted in new colours, against a brute-force nearest-region
// map; and the colourings on a drawn wheel (one region touching five around
// it) and on random planar partitions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <tuple>

#include "flats/Compose.h"
#include "flats/DistinctColours.h"
#include "flats/LineSpanFinder.h"
#include "flats/LineSpans.h"
#include "flats/Neighbours.h"
#include "flats/RegionMap.h"
#include "flats/RegionRepaint.h"
#include "flats/RegionRuns.h"

namespace tessel::test {
namespace {

using flats::NeighbourLists;
using flats::RegionRoles;

// A page cut into areas by `areaOf(x, y)`; a pixel whose right or lower
// neighbour lies in another area is line art. Returns the mask and its map.
template <typename AreaOf>
std::pair<flats::RegionMask, flats::RegionRuns> DrawMap(int64_t width, int64_t height, const AreaOf& areaOf) {
  flats::RegionMask mask(width, height);
  base::ImageBuffer result({width, height, 1, base::PlaneLayout::Interleaved, 0});
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x) {
      const int area = areaOf(x, y);
      const bool line = (x + 1 < width && areaOf(x + 1, y) != area) || (y + 1 < height && areaOf(x, y + 1) != area);
      if (!line) mask.Set(x, y);
      result.at(x, y, 0) = static_cast<uint8_t>(line ? 0 : 100 + area);
    }
  flats::RegionRuns map = flats::FindRegionRuns(mask, result, 1);
  return {std::move(mask), std::move(map)};
}

// Every pixel's region by exhaustive search for its nearest region pixel
// (ties: leftmost column, then upper row), row by row.
std::vector<int32_t> BruteForceOwners(const flats::RegionRuns& map) {
  std::vector<int32_t> owner(static_cast<size_t>(map.width * map.height));
  size_t hint = 0;
  for (int64_t y = 0; y < map.height; ++y)
    for (int64_t x = 0; x < map.width; ++x) {
      int64_t best = -1;
      int32_t label = 0;
      for (int64_t cx = 0; cx < map.width; ++cx)
        for (int64_t cy = 0; cy < map.height; ++cy) {
          const int64_t d = (cx - x) * (cx - x) + (cy - y) * (cy - y);
          const int32_t region = map.RegionAt(cx, cy, hint);
          if (region >= 0 && (best < 0 || d < best)) best = d, label = region;
        }
      owner[static_cast<size_t>(y * map.width + x)] = label;
    }
  return owner;
}

// Every 4-adjacent pair of regions in the owners' map.
std::set<std::pair<int32_t, int32_t>> BruteForcePairs(const flats::RegionRuns& map, const std::vector<int32_t>& owner) {
  std::set<std::pair<int32_t, int32_t>> pairs;
  const auto add = [&](int32_t a, int32_t b) {
    if (a != b) pairs.insert({std::min(a, b), std::max(a, b)});
  };
  for (int64_t y = 0; y < map.height; ++y)
    for (int64_t x = 0; x < map.width; ++x) {
      const int32_t here = owner[static_cast<size_t>(y * map.width + x)];
      if (x > 0) add(here, owner[static_cast<size_t>(y * map.width + x - 1)]);
      if (y > 0) add(here, owner[static_cast<size_t>((y - 1) * map.width + x)]);
    }
  return pairs;
}

std::set<std::pair<int32_t, int32_t>> Pairs(const NeighbourLists& lists) {
  std::set<std::pair<int32_t, int32_t>> pairs;
  for (size_t i = 0; i < lists.size(); ++i)
    for (const int32_t n : lists[i]) pairs.insert({std::min<int32_t>(static_cast<int32_t>(i), n), std::max<int32_t>(static_cast<int32_t>(i), n)});
  return pairs;
}

// The map under the lines as a thread beside the filter's scan finds it:
// the mask's rows and their runs come a few at a time, and in between the
// finder takes what rows it can, maybe none; the runs, labelled after.
std::pair<flats::RegionRuns, flats::LineSpans::Band> FoundAsScanned(const flats::RegionMask& mask, uint32_t seed) {
  std::mt19937 random(seed);
  flats::RegionMask scanned(mask.width(), mask.height());
  flats::RegionRuns runs;
  flats::LineSpanFinder finder(scanned, runs, 0);
  for (int64_t y = 0, end = 0; y < mask.height(); y = end) {
    end = std::min(mask.height(), y + 1 + static_cast<int64_t>(random() % 4));
    for (int64_t row = y; row < end; ++row)
      for (int64_t x = 0; x < mask.width(); ++x)
        if (mask.at(x, row)) scanned.Set(x, row);
    flats::AddRegionRuns(scanned, y, end, runs);
    for (auto steps = random() % 6; steps > 0 && finder.FindNext(end); --steps) {
    }
  }
  flats::LabelRegionRuns(runs, scanned, base::ImageBuffer({mask.width(), mask.height(), 1, base::PlaneLayout::Interleaved, 0}), 1);
  return {std::move(runs), finder.Take()};
}

// The neighbours, found at once and with the map under the lines found as
// scanned, against the brute-force owners' pairs. Then every other region
// is repainted in its own colour (its index + 0, 50, 100, 150 in the first
// two to four planes of five-plane pixels; the others keep the page's) and
// the flats grown under the lines, from the repainted regions, or from
// either map under the lines the neighbours were found in: pixels under
// the lines must show their brute-force owner's colour, new or as it was,
// region pixels their region's, further planes (transparency) what they had.
void ExpectAsTheBruteForceNearestRegionMap(const flats::RegionMask& mask, const flats::RegionRuns& map) {
  const std::vector<uint8_t> before{200, 201, 202, 203, 204};
  std::vector<std::vector<uint8_t>> colours;
  std::vector<bool> repaint;
  for (size_t i = 0; i < map.regions.size(); ++i) {
    repaint.push_back(i % 2 == 0);
    colours.push_back(repaint.back() ? std::vector<uint8_t>{static_cast<uint8_t>(i), static_cast<uint8_t>(50 + i),
                                                            static_cast<uint8_t>(100 + i), static_cast<uint8_t>(150 + i)}
                                     : std::vector<uint8_t>(before.begin(), before.begin() + 4));
  }
  const std::vector<int32_t> owner = BruteForceOwners(map);
  const auto pairs = BruteForcePairs(map, owner);
  flats::LineSpans lines, linesAsScanned;
  EXPECT_EQ(Pairs(flats::FindNeighbours(mask, map, &lines)), pairs);
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    auto [runs, band] = FoundAsScanned(mask, seed);
    linesAsScanned = flats::FindLineSpans(mask, runs, std::move(band));
    EXPECT_EQ(Pairs(flats::FindNeighbours(runs, linesAsScanned)), pairs) << "seed " << seed;
  }
  for (const flats::LineSpans* from : {static_cast<flats::LineSpans*>(nullptr), &lines, &linesAsScanned})
    for (const auto layout : {base::PlaneLayout::Interleaved, base::PlaneLayout::Planar})
      for (const int colourPlanes : {2, 3, 4}) {
        base::ImageBuffer flats({map.width, map.height, 5, layout, 0});
        flats.Fill(before);
        for (int64_t y = 0; y < map.height; ++y)  // the lines
          for (int64_t x = 0; x < map.width; ++x)
            for (int p = 0; p < colourPlanes && !mask.at(x, y); ++p) flats.at(x, y, p) = 0;
        if (from) {
          flats::PaintRegionsAndLines(map, *from, colours, repaint, flats, colourPlanes, 0, map.height);
        } else {
          flats::PaintRegionRuns(map, colours, repaint, flats, colourPlanes);
          ASSERT_TRUE(flats::FillUnderLines(mask, flats, colourPlanes));
        }
        for (int64_t y = 0; y < map.height; ++y)
          for (int64_t x = 0; x < map.width; ++x) {
            const auto region = static_cast<size_t>(owner[static_cast<size_t>(y * map.width + x)]);
            std::vector<uint8_t> expected = before;
            std::copy(colours[region].begin(), colours[region].begin() + colourPlanes, expected.begin());
            ASSERT_EQ(flats.Pixel(x, y), expected)
                << x << ", " << y << ", " << colourPlanes << " planes"
                << (from == &lines ? ", from the map under the lines" : from ? ", from the map found as scanned" : "");
          }
      }
}

// A disc in the middle, five sectors around it, and the corners beyond.
int WheelArea(int64_t x, int64_t y) {
  const double dx = static_cast<double>(x) - 40, dy = static_cast<double>(y) - 40;
  if (std::hypot(dx, dy) < 12) return 0;
  if (std::hypot(dx, dy) > 36) return 6;
  return 1 + static_cast<int>(std::floor((std::atan2(dy, dx) + M_PI) / (2 * M_PI) * 5)) % 5;
}

// Random points, each pixel in the area of its nearest (a Voronoi partition).
std::pair<flats::RegionMask, flats::RegionRuns> RandomPartition(uint32_t seed, int64_t width, int64_t height,
                                                                int points) {
  std::mt19937 random(seed);
  std::vector<std::pair<int64_t, int64_t>> sites;
  for (int i = 0; i < points; ++i)
    sites.push_back({static_cast<int64_t>(random() % width), static_cast<int64_t>(random() % height)});
  return DrawMap(width, height, [&](int64_t x, int64_t y) {
    int best = 0;
    for (int i = 1; i < points; ++i) {
      const auto d = [&](int k) {
        return (sites[k].first - x) * (sites[k].first - x) + (sites[k].second - y) * (sites[k].second - y);
      };
      if (d(i) < d(best)) best = i;
    }
    return best;
  });
}

int64_t SameColourPairs(const NeighbourLists& lists, const std::vector<int32_t>& colour) {
  int64_t same = 0;
  for (const auto& [a, b] : Pairs(lists)) same += colour[static_cast<size_t>(a)] == colour[static_cast<size_t>(b)];
  return same;
}

TEST(RegionRuns, LabelEveryPixelAsTheComponentLabelling) {
  std::mt19937 random(3);
  // A page tall enough for its rows to be shared among threads, and a band
  // of solid columns that crosses every boundary between bands.
  for (const auto& [width, height, density] : {std::tuple<int64_t, int64_t, double>{150, 70, 0.3}, {150, 70, 0.6},
                                              {150, 70, 0.9}, {70, 1100, 0.55}}) {
    flats::RegionMask mask(width, height);
    base::ImageBuffer result({width, height, 1, base::PlaneLayout::Interleaved, 0});
    std::bernoulli_distribution pick(density);
    for (int64_t y = 0; y < height; ++y)
      for (int64_t x = 0; x < width; ++x)
        if (pick(random) || (x > 60 && x < 64)) mask.Set(x, y), result.at(x, y, 0) = static_cast<uint8_t>(random());
    const flats::RegionMap labels = flats::MapRegions(mask, result, 1);
    const flats::RegionRuns runs = flats::FindRegionRuns(mask, result, 1);
    ASSERT_EQ(runs.regions.size(), labels.regions.size());
    for (size_t i = 0; i < labels.regions.size(); ++i) {
      EXPECT_EQ(runs.regions[i].firstX, labels.regions[i].firstX);
      EXPECT_EQ(runs.regions[i].firstY, labels.regions[i].firstY);
      EXPECT_EQ(runs.regions[i].area, labels.regions[i].area);
      EXPECT_EQ(runs.regions[i].colour, labels.regions[i].colour);
    }
    size_t hint = 0;
    for (int64_t y = 0; y < height; ++y)
      for (int64_t x = 0; x < width; ++x) ASSERT_EQ(runs.RegionAt(x, y, hint), labels.at(x, y) - 1) << x << ", " << y;
    // Found a few rows at a time, as the filter's scan finishes them, the same runs.
    flats::RegionRuns added;
    for (int64_t y = 0, end = 0; y < height; y = end) {
      end = std::min(height, y + 1 + static_cast<int64_t>(random() % 40));
      flats::AddRegionRuns(mask, y, end, added);
    }
    flats::LabelRegionRuns(added, mask, result, 1);
    ASSERT_EQ(added.rowStart, runs.rowStart);
    ASSERT_EQ(added.regions.size(), runs.regions.size());
    for (size_t i = 0; i < runs.runs.size(); ++i) {
      ASSERT_EQ(added.runs[i].begin, runs.runs[i].begin) << i;
      ASSERT_EQ(added.runs[i].region, runs.runs[i].region) << i;
    }
  }
}

TEST(Neighbours, MatchTheBruteForceNearestRegionMap) {
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const auto [mask, map] = RandomPartition(seed, 40, 40, 12);
    ExpectAsTheBruteForceNearestRegionMap(mask, map);
  }
  {
    // Stripes tall enough for their rows to be shared among threads: stripes
    // meet only between rows, one pair of them where two bands meet.
    const auto [mask, map] = DrawMap(6, 600, [](int64_t, int64_t y) { return static_cast<int>(y / 50); });
    ExpectAsTheBruteForceNearestRegionMap(mask, map);
  }
  {
    // Wide areas of lines: one from the top to the foot of the page, one
    // across it, a block below: nearest region pixels many rows down, which
    // rows found as scanned must wait for.
    flats::RegionMask mask(40, 72);
    for (int64_t y = 0; y < mask.height(); ++y)
      for (int64_t x = 0; x < mask.width(); ++x)
        if (!((x >= 4 && x < 17) || (y >= 30 && y < 36) || (x >= 24 && x < 37 && y >= 48 && y < 63))) mask.Set(x, y);
    const flats::RegionRuns map =
        flats::FindRegionRuns(mask, base::ImageBuffer({mask.width(), mask.height(), 1, base::PlaneLayout::Interleaved, 0}), 1);
    ExpectAsTheBruteForceNearestRegionMap(mask, map);
  }
  const auto [mask, map] = DrawMap(81, 81, WheelArea);
  ExpectAsTheBruteForceNearestRegionMap(mask, map);
  const NeighbourLists lists = flats::FindNeighbours(mask, map);
  ASSERT_EQ(lists.size(), 7u);
  size_t hint = 0;
  const int32_t centre = map.RegionAt(40, 40, hint);
  EXPECT_EQ(lists[static_cast<size_t>(centre)].size(), 5u);  // the five sectors, not the corners
}

TEST(DistinctColours, PaletteLeavesNoNeighboursAlikeAndCountsWhatCannotBeHelped) {
  const auto [mask, map] = DrawMap(81, 81, WheelArea);
  const NeighbourLists wheel = flats::FindNeighbours(mask, map);
  const RegionRoles own{std::vector<int32_t>(wheel.size(), RegionRoles::kOwn)};
  const auto five = flats::ColourFromPalette(wheel, own, std::vector<bool>(5, true));
  EXPECT_EQ(five.clashes, 0);
  EXPECT_EQ(SameColourPairs(wheel, five.colour), 0);

  // A ring of five around a centre needs four colours: with three, one pair
  // at least shares, and only one need; the unusable entry is never taken.
  const auto three = flats::ColourFromPalette(wheel, own, {true, false, true, true});
  EXPECT_EQ(three.clashes, 1);
  EXPECT_EQ(SameColourPairs(wheel, three.colour), 1);
  for (const int32_t c : three.colour) EXPECT_NE(c, 1);

  // Planar maps never need more than six colours, whatever the scan order
  // makes of the cycle; one entry of seven is too dark.
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    const auto [m, regions] = RandomPartition(seed, 60, 60, 40);
    const NeighbourLists lists = flats::FindNeighbours(m, regions);
    const auto coloured = flats::ColourFromPalette(lists, {std::vector<int32_t>(lists.size(), RegionRoles::kOwn)},
                                                   {true, true, true, false, true, true, true});
    EXPECT_EQ(coloured.clashes, 0) << "seed " << seed;
    EXPECT_EQ(SameColourPairs(lists, coloured.colour), 0) << "seed " << seed;
  }
}

// sRGB bytes to CIE Lab (D65), written out independently of the host.
flats::Lab SrgbToLab(const std::vector<uint8_t>& rgb) {
  double linear[3];
  for (int k = 0; k < 3; ++k) {
    const double c = rgb[static_cast<size_t>(k)] / 255.0;
    linear[k] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  }
  const double xyz[3] = {(0.4124 * linear[0] + 0.3576 * linear[1] + 0.1805 * linear[2]) / 0.95047,
                         0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2],
                         (0.0193 * linear[0] + 0.1192 * linear[1] + 0.9505 * linear[2]) / 1.08883};
  const auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
  return {116 * f(xyz[1]) - 16, 500 * (f(xyz[0]) - f(xyz[1])), 200 * (f(xyz[1]) - f(xyz[2]))};
}

// A random sRGB colour, with its Lab value.
std::optional<flats::Paint> RandomSrgb(std::mt19937& random) {
  std::vector<uint8_t> rgb(3);
  for (uint8_t& channel : rgb) channel = static_cast<uint8_t>(random());
  return flats::Paint{rgb, SrgbToLab(rgb)};
}

TEST(DistinctColours, RandomColoursStayApartAndRepeatFromTheSeed) {
  const auto [mask, map] = RandomPartition(9, 80, 80, 60);
  const NeighbourLists lists = flats::FindNeighbours(mask, map);
  const flats::PaintDraw draw = RandomSrgb;
  // The filter's colours: all one grey-blue.
  const std::vector<uint8_t> greyBlue{100, 110, 120};
  const std::vector<flats::Paint> current(lists.size(), flats::Paint{greyBlue, SrgbToLab(greyBlue)});
  const auto run = [&] {
    std::mt19937 random(5);
    return flats::ColourAtRandom(lists, {std::vector<int32_t>(lists.size(), RegionRoles::kOwn)}, current, draw, random,
                                 20, 200);
  };
  const flats::RandomColouring first = run(), second = run();
  EXPECT_EQ(first.clashes, 0);
  for (const auto& [a, b] : Pairs(lists))
    EXPECT_GE(flats::DeltaE(SrgbToLab(first.paint[static_cast<size_t>(a)].bytes),
                            SrgbToLab(first.paint[static_cast<size_t>(b)].bytes)), 20);
  for (size_t i = 0; i < lists.size(); ++i) EXPECT_EQ(first.paint[i].bytes, second.paint[i].bytes);
}

// Regions are coloured in order, each against the neighbours coloured
// before it: one keeps the filter's colour exactly when none of those ended
// up close to it, whatever its later neighbours hold. The filter's colours
// come from a few, so that neighbours often share one, before and after.
TEST(DistinctColours, ARegionKeepsItsColourUnlessAnEarlierNeighboursIsClose) {
  const std::vector<std::vector<uint8_t>> few{{200, 40, 40}, {40, 160, 60}, {60, 80, 200}, {210, 200, 60}};
  const flats::PaintDraw draw = RandomSrgb;
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    const auto [mask, map] = RandomPartition(seed, 80, 80, 60);
    const NeighbourLists lists = flats::FindNeighbours(mask, map);
    std::mt19937 random(seed);
    std::vector<flats::Paint> current;
    for (size_t i = 0; i < lists.size(); ++i) {
      const std::vector<uint8_t>& rgb = few[random() % few.size()];
      current.push_back({rgb, SrgbToLab(rgb)});
    }
    const auto result = flats::ColourAtRandom(lists, {std::vector<int32_t>(lists.size(), RegionRoles::kOwn)}, current,
                                              draw, random, 20, 200);
    int kept = 0;
    for (size_t i = 0; i < lists.size(); ++i) {
      bool closeBefore = false;
      for (const int32_t n : lists[i]) {
        const auto j = static_cast<size_t>(n);
        closeBefore |= j < i && flats::DeltaE(current[i].lab, result.paint[j].lab) < 20;
      }
      const bool keeps = result.paint[i].bytes == current[i].bytes;
      EXPECT_EQ(keeps, !closeBefore) << "seed " << seed << ", region " << i;
      kept += keeps ? 1 : 0;
    }
    EXPECT_GT(kept, 0) << "seed " << seed;
    EXPECT_LT(kept, static_cast<int>(lists.size())) << "seed " << seed;
  }
}

TEST(DistinctColours, JoinedRegionsFollowAndFlaggedOnesKeepTheirColour) {
  const auto [mask, map] = DrawMap(81, 81, WheelArea);
  const NeighbourLists wheel = flats::FindNeighbours(mask, map);
  const auto index = [&](int64_t x, int64_t y) {
    size_t hint = 0;
    return map.RegionAt(x, y, hint);
  };
  // Away from the sectors' border lines (the row through the centre is one, west of it).
  const int32_t centre = index(40, 40), east = index(70, 40), west = index(12, 34), corner = index(2, 2);
  ASSERT_GE(std::min({centre, east, west, corner}), 0);
  RegionRoles roles{std::vector<int32_t>(wheel.size(), RegionRoles::kOwn)};
  roles.follows[static_cast<size_t>(centre)] = east;  // joined to a sector across it from the west one
  roles.follows[static_cast<size_t>(corner)] = RegionRoles::kKept;

  const auto palette = flats::ColourFromPalette(wheel, roles, std::vector<bool>(4, true));
  EXPECT_EQ(palette.colour[static_cast<size_t>(centre)], palette.colour[static_cast<size_t>(east)]);
  EXPECT_EQ(palette.colour[static_cast<size_t>(corner)], -1);
  EXPECT_EQ(palette.clashes, 0);
  // The sectors the centre touches avoid the colour it follows.
  for (const int32_t n : wheel[static_cast<size_t>(centre)])
    if (n != east) {
      EXPECT_NE(palette.colour[static_cast<size_t>(n)], palette.colour[static_cast<size_t>(east)]);
    }

  std::vector<flats::Paint> current(wheel.size(), flats::Paint{{9}, {50, 0, 0}});
  current[static_cast<size_t>(corner)] = {{7}, {50, 1, 0}};
  int drawn = 0;
  const flats::PaintDraw draw = [&](std::mt19937&) {
    ++drawn;
    return std::optional<flats::Paint>(flats::Paint{{static_cast<uint8_t>(drawn)}, {50, 25.0 * drawn, 0}});
  };
  std::mt19937 random(1);
  const auto apart = flats::ColourAtRandom(wheel, roles, current, draw, random, 20, 50);
  EXPECT_EQ(apart.paint[static_cast<size_t>(corner)].bytes, std::vector<uint8_t>{7});
  EXPECT_EQ(apart.paint[static_cast<size_t>(centre)].bytes, apart.paint[static_cast<size_t>(east)].bytes);
  EXPECT_NE(apart.paint[static_cast<size_t>(west)].bytes, apart.paint[static_cast<size_t>(east)].bytes);
  EXPECT_EQ(apart.clashes, 0);
}

}  // namespace
}  // namespace tessel::test
