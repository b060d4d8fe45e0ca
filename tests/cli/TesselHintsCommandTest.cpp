// `tessel run --hints`: drawn pages with random dabs and strokes against a
// brute-force reference of the flats' regions and their majority hint
// colours; hint colours in CMYK and grey as the host's colour services give
// them; a book of pages with a folder of hints; input refused before any
// work.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <set>

#include "host/ColorServices.h"
#include "tests/cli/TesselCommand.h"
#include "tests/support/ColorRequest.h"
#include "tests/support/LineArt.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
namespace fs = boost::filesystem;
using Colour = std::array<uint8_t, 3>;

constexpr int64_t kWidth = 110, kHeight = 80;

// The regions of the flats as the reference finds them: the filter's
// regions (the 4-connected components of the pixels its run changed), every
// other pixel given to the region of its nearest changed pixel, the leftmost
// then the upper one on a tie.
struct Owners {
  int regions = 0;
  std::vector<int> of;  // per pixel, row-major
  int at(int64_t x, int64_t y) const { return of[static_cast<size_t>(y * kWidth + x)]; }
};

Owners OwnersOf(const io::ImageFile& page, const io::ImageFile& painted) {
  Owners owners;
  owners.of.assign(static_cast<size_t>(kWidth * kHeight), -1);
  const auto changed = [&](int64_t x, int64_t y) { return page.pixels.Pixel(x, y) != painted.pixels.Pixel(x, y); };
  for (int64_t y0 = 0; y0 < kHeight; ++y0)
    for (int64_t x0 = 0; x0 < kWidth; ++x0) {
      if (!changed(x0, y0) || owners.at(x0, y0) >= 0) continue;
      std::vector<std::pair<int64_t, int64_t>> stack{{x0, y0}};
      owners.of[static_cast<size_t>(y0 * kWidth + x0)] = owners.regions;
      while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        for (const auto& [nx, ny] : {std::pair{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}})
          if (nx >= 0 && ny >= 0 && nx < kWidth && ny < kHeight && changed(nx, ny) && owners.at(nx, ny) < 0) {
            owners.of[static_cast<size_t>(ny * kWidth + nx)] = owners.regions;
            stack.push_back({nx, ny});
          }
      }
      ++owners.regions;
    }
  std::vector<int> under(owners.of);
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) {
      if (owners.at(x, y) >= 0) continue;
      int64_t best = -1;
      for (int64_t cx = 0; cx < kWidth; ++cx)
        for (int64_t cy = 0; cy < kHeight; ++cy) {
          const int64_t d = (cx - x) * (cx - x) + (cy - y) * (cy - y);
          if (owners.at(cx, cy) >= 0 && (best < 0 || d < best)) {
            best = d;
            under[static_cast<size_t>(y * kWidth + x)] = owners.at(cx, cy);
          }
        }
    }
  owners.of = std::move(under);
  return owners;
}

// Dabs of one colour in a third of the regions, and strokes across the page
// whose soft edges, under half opaque, are no hints.
base::ImageBuffer DrawHints(const Owners& owners, std::mt19937& random) {
  const std::vector<Colour> inks = {{230, 60, 50}, {40, 110, 220}, {250, 200, 30}, {90, 180, 90}, {140, 60, 160}};
  base::ImageBuffer hints({kWidth, kHeight, 4, base::PlaneLayout::Interleaved, 0});
  hints.Fill({0, 0, 0, 0});
  const auto put = [&](int64_t x, int64_t y, const Colour& c, uint8_t alpha) {
    if (x >= 0 && y >= 0 && x < kWidth && y < kHeight && hints.at(x, y, 3) < alpha)
      hints.SetPixel(x, y, {c[0], c[1], c[2], alpha});
  };
  std::vector<bool> dabbed(static_cast<size_t>(owners.regions), false);
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) {
      const int r = owners.at(x, y);
      if (r % 3 != 0 || dabbed[static_cast<size_t>(r)]) continue;
      dabbed[static_cast<size_t>(r)] = true;
      const Colour& ink = inks[random() % inks.size()];
      const int radius = static_cast<int>(random() % 3);
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) put(x + 1 + dx, y + 1 + dy, ink, 255);
    }
  for (int stroke = 0; stroke < 3; ++stroke) {
    const Colour& ink = inks[random() % inks.size()];
    const double x0 = random() % kWidth, y0 = random() % kHeight, x1 = random() % kWidth, y1 = random() % kHeight;
    for (double t = 0; t <= 1; t += 0.002) {
      const auto x = static_cast<int64_t>(x0 + t * (x1 - x0)), y = static_cast<int64_t>(y0 + t * (y1 - y0));
      for (int d = -2; d <= 2; ++d) put(x + d, y, ink, std::abs(d) == 2 ? 100 : std::abs(d) == 1 ? 160 : 255);
    }
  }
  return hints;
}

struct Tally {
  int64_t pixels = 0;
  int64_t first = 0;
};

// Per region the colour most of its hint pixels have, the first met on a
// tie; none for a region without any.
std::vector<std::optional<Colour>> Majorities(const Owners& owners, const base::ImageBuffer& hints) {
  std::vector<std::map<Colour, Tally>> tallies(static_cast<size_t>(owners.regions));
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) {
      if (hints.at(x, y, 3) < 128) continue;
      const Colour c{hints.at(x, y, 0), hints.at(x, y, 1), hints.at(x, y, 2)};
      auto [tally, added] = tallies[static_cast<size_t>(owners.at(x, y))].try_emplace(c);
      if (added) tally->second.first = y * kWidth + x;
      ++tally->second.pixels;
    }
  std::vector<std::optional<Colour>> majority(tallies.size());
  for (size_t r = 0; r < tallies.size(); ++r) {
    const Tally* best = nullptr;
    for (const auto& [colour, tally] : tallies[r])
      if (!best || tally.pixels > best->pixels || (tally.pixels == best->pixels && tally.first < best->first)) {
        best = &tally;
        majority[r] = colour;
      }
  }
  return majority;
}

class TesselHintsCommandTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (work.path() / name).string(); }

  // Anti-aliased shapes on white, as `planes` of grey, RGB or CMYK.
  io::ImageFile DrawPage(const std::string& name, int planes, uint32_t seed) const {
    testing::Page art(kWidth, kHeight, planes, testing::Layout::kInterleaved);
    testing::SketchOptions sketch;
    sketch.shapes = 14;
    sketch.largestRadius = 28;
    sketch.style.halfWidth = 1.2;
    sketch.seed = seed;
    testing::DrawRandomShapes(art, sketch);
    base::ImageBuffer pixels({kWidth, kHeight, planes, base::PlaneLayout::Interleaved, 0});
    std::copy(art.bytes.begin(), art.bytes.end(), pixels.data());
    const int16_t mode = planes == 1 ? plugInModeGrayScale : planes == 3 ? plugInModeRGBColor : plugInModeCMYKColor;
    io::ImageFile image{std::move(pixels), mode, false, {}};
    io::SaveImageFile(image, Path(name));
    return io::LoadImageFile(Path(name));
  }

  void SaveHints(base::ImageBuffer hints, const std::string& name) const {
    const bool transparency = hints.planes() == 4;
    io::ImageFile image{std::move(hints), plugInModeRGBColor, transparency, {}};
    io::SaveImageFile(image, Path(name));
  }

  io::ImageFile Flat(const std::string& page, const std::string& output, std::vector<std::string> options) const {
    std::vector<std::string> arguments{"run", page, "-o", Path(output)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const CommandResult run = tessel.Run(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return io::LoadImageFile(Path(output));
  }

  TesselCommand tessel;
  TempFolder work;
};

TEST_F(TesselHintsCommandTest, HintedRegionsTakeTheirMajorityColourAndTheRestKeepTheirsOrStayApart) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const io::ImageFile page = DrawPage("page.png", 3, seed);
    const Owners owners = OwnersOf(page, Flat(Path("page.png"), "painted.png", {}));
    ASSERT_GT(owners.regions, 10);
    base::ImageBuffer hints = DrawHints(owners, random);
    const std::vector<std::optional<Colour>> majority = Majorities(owners, hints);
    // The last page's hints without transparency: on white, a hint is any other colour.
    if (seed < 3) {
      SaveHints(std::move(hints), "hints.png");
    } else {
      base::ImageBuffer onWhite({kWidth, kHeight, 3, base::PlaneLayout::Interleaved, 0});
      for (int64_t y = 0; y < kHeight; ++y)
        for (int64_t x = 0; x < kWidth; ++x)
          onWhite.SetPixel(x, y, hints.at(x, y, 3) >= 128 ? std::vector<uint8_t>{hints.at(x, y, 0), hints.at(x, y, 1),
                                                                                   hints.at(x, y, 2)}
                                                          : std::vector<uint8_t>{255, 255, 255});
      SaveHints(std::move(onWhite), "hints.png");
    }

    const io::ImageFile plain = Flat(Path("page.png"), "plain.png", {"--flats-only"});
    const io::ImageFile hinted = Flat(Path("page.png"), "hinted.png", {"--flats-only", "--hints", Path("hints.png")});
    const io::ImageFile apart =
        Flat(Path("page.png"), "apart.png", {"--flats-only", "--distinct", "--hints", Path("hints.png")});
    std::vector<std::vector<uint8_t>> colourOf(static_cast<size_t>(owners.regions));
    for (int64_t y = 0; y < kHeight; ++y)
      for (int64_t x = 0; x < kWidth; ++x) {
        const auto r = static_cast<size_t>(owners.at(x, y));
        const std::vector<uint8_t> expected =
            majority[r] ? std::vector<uint8_t>(majority[r]->begin(), majority[r]->end()) : plain.pixels.Pixel(x, y);
        ASSERT_EQ(hinted.pixels.Pixel(x, y), expected) << x << ", " << y;
        if (colourOf[r].empty()) colourOf[r] = apart.pixels.Pixel(x, y);
        ASSERT_EQ(apart.pixels.Pixel(x, y), colourOf[r]) << x << ", " << y << ": a region in two colours";
        if (majority[r]) {
          ASSERT_EQ(colourOf[r], std::vector<uint8_t>(majority[r]->begin(), majority[r]->end()));
        }
      }
    // Two hinted neighbours may share a colour; an unhinted one shares none.
    int64_t pairs = 0;
    for (int64_t y = 0; y < kHeight; ++y)
      for (int64_t x = 0; x < kWidth; ++x)
        for (const auto& [nx, ny] : {std::pair{x + 1, y}, {x, y + 1}}) {
          if (nx >= kWidth || ny >= kHeight) continue;
          const int a = owners.at(x, y), b = owners.at(nx, ny);
          if (a == b || (majority[static_cast<size_t>(a)] && majority[static_cast<size_t>(b)])) continue;
          ++pairs;
          ASSERT_NE(colourOf[static_cast<size_t>(a)], colourOf[static_cast<size_t>(b)]) << x << ", " << y;
        }
    EXPECT_GT(pairs, 0);
  }
}

// The host's colour services, as the filter reaches them, for an RGB colour.
std::vector<uint8_t> ServicesColour(const Colour& rgb, int16_t space, int planes) {
  FilterRecord record{};
  host::ColorServices services(record);
  ColorServicesInfo info =
      test::ColorRequest(plugIncolorServicesConvertColor, plugIncolorServicesRGBSpace, rgb, space);
  EXPECT_EQ(record.colorServices(&info), noErr);
  return std::vector<uint8_t>(info.colorComponents, info.colorComponents + planes);
}

TEST_F(TesselHintsCommandTest, HintColoursReachCmykAndGreyPagesAsTheColourServicesGiveThem) {
  const Colour ink{200, 120, 60};
  base::ImageBuffer hints({kWidth, kHeight, 4, base::PlaneLayout::Interleaved, 0});
  hints.Fill({ink[0], ink[1], ink[2], 255});
  SaveHints(std::move(hints), "hints.png");
  for (const auto& [planes, space, name, options] :
       {std::tuple<int, int16_t, std::string, std::vector<std::string>>{4, plugIncolorServicesCMYKSpace, "cmyk.tif",
                                                                         {}},
        {1, plugIncolorServicesGraySpace, "grey.png", {"--no-anti-aliased", "--tolerance", "8"}}}) {
    SCOPED_TRACE(name);
    DrawPage(name, planes, 5);
    std::vector<std::string> hinted = options;
    hinted.insert(hinted.end(), {"--flats-only", "--hints", Path("hints.png")});
    const io::ImageFile flats = Flat(Path(name), "flats" + fs::path(name).extension().string(), hinted);
    const std::vector<uint8_t> expected = ServicesColour(ink, space, planes);
    for (int64_t y = 0; y < kHeight; ++y)
      for (int64_t x = 0; x < kWidth; ++x) ASSERT_EQ(flats.pixels.Pixel(x, y), expected) << x << ", " << y;
  }
}

TEST_F(TesselHintsCommandTest, ABookTakesEachPagesHintsByNameAndAPageWithoutAnyIsFlattedPlain) {
  fs::create_directories(work.path() / "pages");
  fs::create_directories(work.path() / "hints");
  for (const char* name : {"a", "b"}) {
    DrawPage(name + std::string(".png"), 3, name[0]);
    fs::rename(Path(name + std::string(".png")), work.path() / "pages" / (name + std::string(".png")));
  }
  base::ImageBuffer hints({kWidth, kHeight, 4, base::PlaneLayout::Interleaved, 0});
  hints.Fill({10, 200, 120, 255});
  SaveHints(std::move(hints), "hints/a.tif");
  base::ImageBuffer none({kWidth, kHeight, 4, base::PlaneLayout::Interleaved, 0});
  none.Fill({0, 0, 0, 0});
  SaveHints(std::move(none), "hints/other.png");

  const CommandResult run = tessel.Run({"run", Path("pages"), "-o", Path("out"), "--flats-only", "--hints",
                                        Path("hints"), "--timings", "-j", "2"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("a.png: hints: "));
  EXPECT_THAT(run.err, HasSubstr(", hints "));
  const io::ImageFile a = io::LoadImageFile(Path("out/a.png"));
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) ASSERT_EQ(a.pixels.Pixel(x, y), (std::vector<uint8_t>{10, 200, 120}));
  const io::ImageFile b = Flat(Path("pages/b.png"), "b-plain.png", {"--flats-only"});
  EXPECT_TRUE(io::LoadImageFile(Path("out/b.png")).pixels.SamePixels(b.pixels));

  // Hints without a hint pixel: the plain flats, and a word about it.
  const CommandResult empty = tessel.Run(
      {"run", Path("pages/b.png"), "-o", Path("b-empty.png"), "--flats-only", "--hints", Path("hints/other.png")});
  ASSERT_EQ(empty.exitCode, 0) << empty.err;
  EXPECT_THAT(empty.err, HasSubstr("other.png holds no hint pixels"));
  EXPECT_TRUE(io::LoadImageFile(Path("b-empty.png")).pixels.SamePixels(b.pixels));
}

TEST_F(TesselHintsCommandTest, HintsThatCannotServeAreRefusedBeforeAnyWorkWithNothingWritten) {
  DrawPage("page.png", 3, 1);
  base::ImageBuffer small({kWidth - 1, kHeight, 4, base::PlaneLayout::Interleaved, 0});
  small.Fill({0, 0, 0, 255});
  SaveHints(std::move(small), "small.png");
  WriteBytes(Path("text.png"), "not an image");
  const std::set<std::string> before = [&] {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(work.path())) names.insert(entry.path().filename().string());
    return names;
  }();
  for (const auto& [hints, reason] : std::vector<std::pair<std::string, std::string>>{
           {"small.png", "109 x 80 pixels and the page 110 x 80"},
           {"text.png", "text.png: "},
           {"missing/", "no such hints file or folder"}}) {
    SCOPED_TRACE(hints);
    const CommandResult run = tessel.Run({"run", Path("page.png"), "-o", Path("out.png"), "--hints", Path(hints)});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_THAT(run.err, HasSubstr(reason));
    std::set<std::string> after;
    for (const auto& entry : fs::directory_iterator(work.path())) after.insert(entry.path().filename().string());
    EXPECT_EQ(after, before);
  }
}

}  // namespace
}  // namespace tessel::test
