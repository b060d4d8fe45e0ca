// `tessel run --under-lines` and `--flats-only` on real files: the merged
// output is the page multiplied over the flats the same run writes alone,
// in a batch of worker processes as on its own; a Lab page cannot be merged
// and is refused before anything is done.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <set>

#include "tests/cli/TesselCommand.h"
#include "tests/support/FileOpens.h"
#include "tests/support/LineArt.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
namespace fs = boost::filesystem;

// 4-connected components of the pixels `inside` says, of one `key` each.
template <typename Inside, typename Key>
int64_t CountComponents(int64_t width, int64_t height, const Inside& inside, const Key& key) {
  std::vector<bool> seen(static_cast<size_t>(width * height), false);
  int64_t count = 0;
  for (int64_t y0 = 0; y0 < height; ++y0)
    for (int64_t x0 = 0; x0 < width; ++x0) {
      if (seen[static_cast<size_t>(y0 * width + x0)] || !inside(x0, y0)) continue;
      ++count;
      const auto k = key(x0, y0);
      std::vector<std::pair<int64_t, int64_t>> stack{{x0, y0}};
      seen[static_cast<size_t>(y0 * width + x0)] = true;
      while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        for (const auto& [nx, ny] : {std::pair{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}) {
          if (nx < 0 || ny < 0 || nx >= width || ny >= height || seen[static_cast<size_t>(ny * width + nx)]) continue;
          if (!inside(nx, ny) || key(nx, ny) != k) continue;
          seen[static_cast<size_t>(ny * width + nx)] = true;
          stack.push_back({nx, ny});
        }
      }
    }
  return count;
}

class TesselFlatsCommandTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (work.path() / name).string(); }

  // Anti-aliased shapes on white, in RGB or as CIELab.
  std::string DrawPage(const std::string& name, int16_t mode = plugInModeRGBColor) const {
    testing::Page art(90, 60, 3, testing::Layout::kInterleaved);
    testing::SketchOptions sketch;
    sketch.shapes = 12;
    sketch.largestRadius = 25;
    sketch.style.halfWidth = 1.5;
    testing::DrawRandomShapes(art, sketch);
    base::ImageBuffer pixels({art.width, art.height, 3, base::PlaneLayout::Interleaved, 0});
    for (int64_t y = 0; y < art.height; ++y)
      for (int64_t x = 0; x < art.width; ++x) {
        const uint8_t level = art.at(x, y, 0);
        pixels.SetPixel(x, y, mode == plugInModeLabColor ? std::vector<uint8_t>{level, 128, 128}
                                                         : std::vector<uint8_t>{level, level, level});
      }
    io::ImageFile image{std::move(pixels), mode, false, {}};
    io::SaveImageFile(image, Path(name));
    return Path(name);
  }

  TesselCommand tessel;
  TempFolder work;
};

TEST_F(TesselFlatsCommandTest, MergedIsThePageOverItsFlatsInABatchAsAlone) {
  fs::create_directory(work.path() / "pages");
  for (const char* name : {"a.png", "b.png", "c.png"}) fs::rename(DrawPage(name), work.path() / "pages" / name);
  const std::string page = Path("pages/b.png");
  const CommandResult flatsOnly = tessel.Run({"run", page, "-o", Path("flats.png"), "--flats-only"});
  ASSERT_EQ(flatsOnly.exitCode, 0) << flatsOnly.err;
  const CommandResult plain = tessel.Run({"run", page, "-o", Path("plain.png")});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const CommandResult batch = tessel.Run({"run", Path("pages"), "-o", Path("merged"), "--under-lines", "-j", "2",
                                          "--record", Path("run.action"), "--timings"});
  ASSERT_EQ(batch.exitCode, 0) << batch.err;
  EXPECT_THAT(batch.err, HasSubstr("under lines"));
  EXPECT_THAT(batch.err, HasSubstr("multiply"));
  EXPECT_TRUE(fs::exists(Path("run.action")));

  const io::ImageFile input = io::LoadImageFile(page), flats = io::LoadImageFile(Path("flats.png")),
                        painted = io::LoadImageFile(Path("plain.png")),
                        merged = io::LoadImageFile(Path("merged/b.png"));
  std::set<std::vector<uint8_t>> paints;
  for (int64_t y = 0; y < input.pixels.height(); ++y)
    for (int64_t x = 0; x < input.pixels.width(); ++x)
      if (painted.pixels.Pixel(x, y) != input.pixels.Pixel(x, y)) paints.insert(painted.pixels.Pixel(x, y));
  ASSERT_GT(paints.size(), 5u);
  int64_t underLines = 0;
  for (int64_t y = 0; y < input.pixels.height(); ++y)
    for (int64_t x = 0; x < input.pixels.width(); ++x) {
      const bool region = painted.pixels.Pixel(x, y) != input.pixels.Pixel(x, y);
      if (region) {
        ASSERT_EQ(flats.pixels.Pixel(x, y), painted.pixels.Pixel(x, y)) << x << "," << y;
      } else {
        ++underLines;
        ASSERT_TRUE(paints.count(flats.pixels.Pixel(x, y))) << x << "," << y;
      }
      for (int p = 0; p < 3; ++p)
        ASSERT_EQ(merged.pixels.at(x, y, p), std::lround(input.pixels.at(x, y, p) * flats.pixels.at(x, y, p) / 255.0))
            << x << "," << y;
    }
  EXPECT_GT(underLines, 100);
  // The other pages of the batch are merged too, each as on its own.
  const CommandResult alone = tessel.Run({"run", Path("pages/c.png"), "-o", Path("c.png"), "--under-lines"});
  ASSERT_EQ(alone.exitCode, 0) << alone.err;
  EXPECT_EQ(ReadBytes(Path("c.png")), ReadBytes(work.path() / "merged" / "c.png"));
}

TEST_F(TesselFlatsCommandTest, LabIsRefusedMergedBeforeAnyPageAndWrittenAsFlatsAlone) {
  fs::create_directory(work.path() / "pages");
  fs::rename(DrawPage("a.png"), work.path() / "pages" / "a.tif");
  fs::rename(DrawPage("b.tif", plugInModeLabColor), work.path() / "pages" / "b.tif");
  const std::vector<std::string> fill = {"--no-anti-aliased", "--tolerance", "2"};
  for (const auto& target : std::vector<std::vector<std::string>>{{Path("pages/b.tif"), "-o", Path("lab.tif")},
                                                                  {Path("pages"), "-o", Path("out")}}) {
    std::vector<std::string> arguments = {"run", "--under-lines"};
    arguments.insert(arguments.end(), target.begin(), target.end());
    arguments.insert(arguments.end(), fill.begin(), fill.end());
    const CommandResult refused = tessel.Run(arguments);
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
    EXPECT_THAT(refused.err, HasSubstr("b.tif: a Lab page cannot be multiplied"));
    EXPECT_THAT(refused.err, HasSubstr("--flats-only"));
  }
  EXPECT_FALSE(fs::exists(Path("lab.tif")));
  EXPECT_FALSE(fs::exists(Path("out")));

  std::vector<std::string> flatsOnly = {"run", "--flats-only", Path("pages/b.tif"), "-o", Path("lab.tif")};
  flatsOnly.insert(flatsOnly.end(), fill.begin(), fill.end());
  const CommandResult written = tessel.Run(flatsOnly);
  ASSERT_EQ(written.exitCode, 0) << written.err;
  const io::ImageFile flats = io::LoadImageFile(Path("lab.tif"));
  EXPECT_EQ(flats.imageMode, plugInModeLabColor);
  for (int64_t y = 0; y < flats.pixels.height(); ++y)
    for (int64_t x = 0; x < flats.pixels.width(); ++x)
      ASSERT_GT(flats.pixels.at(x, y, 0), 0) << "a line left in the flats at " << x << "," << y;
}

// Regions the filter painted: the 4-connected components of the pixels that
// differ between the page and a run's result.
int64_t CountRegions(const base::ImageBuffer& page, const base::ImageBuffer& result) {
  const auto changed = [&](int64_t x, int64_t y) { return page.Pixel(x, y) != result.Pixel(x, y); };
  return CountComponents(page.width(), page.height(), changed,
                         [&](int64_t x, int64_t y) { return result.Pixel(x, y); });
}

TEST_F(TesselFlatsCommandTest, DistinctFlatsNeverMeltTwoRegionsIntoOneColour) {
  // Six swatches, the fourth too dark to paint (every plane at or below 90).
  const fs::path swatches = tessel.presets() / "Color Swatches";
  fs::create_directories(swatches);
  const std::vector<std::array<uint8_t, 3>> colours = {
      {230, 80, 80}, {80, 170, 230}, {240, 200, 60}, {40, 60, 70}, {120, 200, 110}, {200, 120, 220}};
  std::string aco{0, 1, 0, static_cast<char>(colours.size())};
  for (const auto& c : colours) {
    aco += std::string(2, '\0');
    for (const uint8_t v : c) aco += std::string(2, static_cast<char>(v));
    aco += std::string(2, '\0');
  }
  std::ofstream((swatches / "Six.aco").string(), std::ios::binary) << aco;

  const std::string page = DrawPage("page.png");
  const CommandResult plain = tessel.Run({"run", page, "-o", Path("plain.png"), "--palette", "Six.aco"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const CommandResult distinct = tessel.Run(
      {"run", page, "-o", Path("flats.png"), "--flats-only", "--distinct", "--palette", "Six.aco", "--timings"});
  ASSERT_EQ(distinct.exitCode, 0) << distinct.err;
  EXPECT_THAT(distinct.err, HasSubstr("colours used (5 can paint)"));
  EXPECT_THAT(distinct.err, HasSubstr(" 0 of them in one colour"));
  EXPECT_THAT(distinct.err, HasSubstr("distinct"));

  const io::ImageFile before = io::LoadImageFile(page), painted = io::LoadImageFile(Path("plain.png")),
                        flats = io::LoadImageFile(Path("flats.png"));
  std::set<std::vector<uint8_t>> used;
  for (int64_t y = 0; y < flats.pixels.height(); ++y)
    for (int64_t x = 0; x < flats.pixels.width(); ++x) used.insert(flats.pixels.Pixel(x, y));
  EXPECT_EQ(used.count({40, 60, 70}), 0u);
  EXPECT_THAT(distinct.err, HasSubstr(": " + std::to_string(used.size()) + " of the palette's 6 colours used"));
  for (const auto& colour : used)
    EXPECT_NE(std::find(colours.begin(), colours.end(), std::array<uint8_t, 3>{colour[0], colour[1], colour[2]}),
              colours.end());
  // Neighbours in one colour would merge into one area of the flats.
  const int64_t regions = CountRegions(before.pixels, painted.pixels);
  EXPECT_GT(regions, 8);
  EXPECT_EQ(CountComponents(flats.pixels.width(), flats.pixels.height(), [](int64_t, int64_t) { return true; },
                            [&](int64_t x, int64_t y) { return flats.pixels.Pixel(x, y); }),
            regions);
}

TEST_F(TesselFlatsCommandTest, ColoursUsedCountOnlyThePalettesOwn) {
  // Small regions the filter joins into the colour of the lines keep it; on
  // a busy page some join one another, and show no palette colour either.
  const testing::Page art = testing::DrawComicPage(600, 800, 3, 400, 2024);
  base::ImageBuffer pixels({art.width, art.height, 3, base::PlaneLayout::Interleaved, 0});
  std::copy(art.bytes.begin(), art.bytes.end(), pixels.data());
  io::ImageFile image{std::move(pixels), plugInModeRGBColor, false, {}};
  io::SaveImageFile(image, Path("page.png"));
  const std::vector<std::string> palette = {"--palette", "Pastels.aco", "--presets", TESSEL_SOURCE_DIR "/examples/presets"};
  std::vector<std::string> plain = {"run", Path("page.png"), "-o", Path("plain.png")};
  plain.insert(plain.end(), palette.begin(), palette.end());
  ASSERT_EQ(tessel.Run(plain).exitCode, 0);
  std::vector<std::string> distinct = {"run", Path("page.png"), "-o", Path("flats.png"), "--flats-only", "--distinct",
                                       "--no-anti-aliased", "--join", "--join-size", "30"};
  distinct.insert(distinct.end(), palette.begin(), palette.end());
  const CommandResult result = tessel.Run(distinct);
  ASSERT_EQ(result.exitCode, 0) << result.err;

  // The palette's colours as the filter paints them: those of the pixels it changed.
  const io::ImageFile page = io::LoadImageFile(Path("page.png")), painted = io::LoadImageFile(Path("plain.png")),
                        flats = io::LoadImageFile(Path("flats.png"));
  std::set<std::vector<uint8_t>> paletteColours, shown;
  for (int64_t y = 0; y < page.pixels.height(); ++y)
    for (int64_t x = 0; x < page.pixels.width(); ++x) {
      if (page.pixels.Pixel(x, y) != painted.pixels.Pixel(x, y)) paletteColours.insert(painted.pixels.Pixel(x, y));
      shown.insert(flats.pixels.Pixel(x, y));
    }
  ASSERT_EQ(paletteColours.size(), 6u);
  size_t used = 0;
  for (const auto& colour : shown) used += paletteColours.count(colour);
  EXPECT_THAT(result.err, HasSubstr(": " + std::to_string(used) + " of the palette's 6 colours used")) << result.err;
}

// The run opens its page once; the plan opens it once more, and only when
// it must look at it before any page is filtered.
TEST_F(TesselFlatsCommandTest, APageIsOpenedOnceByItsRunAndOnceMoreForThePlansChecks) {
  const std::string page = DrawPage("page.png");
  const std::pair<std::vector<std::string>, int> runs[] = {{{"-o", Path("out.png")}, 1},
                                                           {{"-o", Path("flats.png"), "--flats-only"}, 1},
                                                           {{"-o", Path("merged.png"), "--under-lines"}, 2},
                                                           {{"-o", Path("layers.psd"), "--under-lines"}, 2}};
  for (const auto& [options, opens] : runs) {
    FileOpens counted(page);
    std::vector<std::string> arguments{"run", page};
    arguments.insert(arguments.end(), options.begin(), options.end());
    ASSERT_EQ(tessel.Run(arguments).exitCode, 0) << options.back();
    EXPECT_EQ(counted.Count(), opens) << options.back();
  }
}

}  // namespace
}  // namespace tessel::test
