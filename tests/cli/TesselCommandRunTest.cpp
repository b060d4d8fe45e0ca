// The tessel command flatting real files: a page of known regions in every
// supported mode comes back with each region painted in one colour, the
// lines untouched and the transparency as it was; recorded settings replay
// byte for byte, whatever the batch and however its pages are shared out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "tests/cli/TesselCommand.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = boost::filesystem;

constexpr int64_t kWidth = 48, kHeight = 32;

// Lines at x = 16, x = 32 and y = 16 cut the page into six rectangles.
bool OnLine(int64_t x, int64_t y) { return x == 16 || x == 32 || y == 16; }
int RegionOf(int64_t x, int64_t y) { return (x < 16 ? 0 : x < 32 ? 1 : 2) + (y < 16 ? 0 : 3); }

struct Mode {
  const char* file;
  int16_t imageMode;
  bool transparency;
  std::vector<uint8_t> white, black;  // in the editor's conventions
  std::vector<std::string> options;
};

io::ImageFile KnownRegions(const Mode& mode) {
  const int colourPlanes = static_cast<int>(mode.white.size());
  base::ImageBuffer pixels(
      {kWidth, kHeight, colourPlanes + (mode.transparency ? 1 : 0), base::PlaneLayout::Interleaved, 0});
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) {
      pixels.SetPixel(x, y, OnLine(x, y) ? mode.black : mode.white);
      if (mode.transparency) pixels.at(x, y, colourPlanes) = static_cast<uint8_t>((x * 29 + y * 13) % 256);
    }
  return {std::move(pixels), mode.imageMode, mode.transparency, {}};
}

class TesselCommandRunTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (work.path() / name).string(); }

  std::string Save(io::ImageFile image, const std::string& name) const {
    io::SaveImageFile(image, Path(name));
    return Path(name);
  }

  // Checks every region of `flat` is one colour other than white, and the
  // lines and transparency are those of `original`.
  void ExpectFlatted(const io::ImageFile& flat, const io::ImageFile& original, const Mode& mode) const {
    const int colourPlanes = static_cast<int>(mode.white.size());
    ASSERT_EQ(flat.imageMode, original.imageMode) << mode.file;
    ASSERT_EQ(flat.pixels.planes(), original.pixels.planes()) << mode.file;
    std::vector<std::vector<uint8_t>> regionColour(6);
    for (int64_t y = 0; y < kHeight; ++y)
      for (int64_t x = 0; x < kWidth; ++x) {
        std::vector<uint8_t> pixel = flat.pixels.Pixel(x, y);
        if (mode.transparency) {
          ASSERT_EQ(pixel.back(), original.pixels.at(x, y, colourPlanes)) << mode.file << " alpha at " << x << "," << y;
          pixel.pop_back();
        }
        if (OnLine(x, y)) {
          ASSERT_EQ(pixel, mode.black) << mode.file << " line at " << x << "," << y;
          continue;
        }
        auto& colour = regionColour[static_cast<size_t>(RegionOf(x, y))];
        if (colour.empty()) {
          colour = pixel;
          EXPECT_NE(colour, mode.white) << mode.file << " region " << RegionOf(x, y) << " left unpainted";
        }
        ASSERT_EQ(pixel, colour) << mode.file << " at " << x << "," << y;
      }
  }

  TesselCommand tessel;
  TempFolder work;
};

const std::vector<std::string> kTestFill = {"--no-anti-aliased", "--tolerance", "2"};

TEST_F(TesselCommandRunTest, EveryModeIsFlattedRegionByRegion) {
  const Mode modes[] = {
      {"rgb.png", plugInModeRGBColor, false, {255, 255, 255}, {0, 0, 0}, {}},
      {"rgb.jpg", plugInModeRGBColor, false, {255, 255, 255}, {0, 0, 0}, kTestFill},
      {"rgba.png", plugInModeRGBColor, true, {255, 255, 255}, {0, 0, 0}, {}},
      {"grey.png", plugInModeGrayScale, false, {255}, {0}, kTestFill},
      {"grey-alpha.png", plugInModeGrayScale, true, {255}, {0}, kTestFill},
      {"cmyk.tif", plugInModeCMYKColor, false, {255, 255, 255, 255}, {255, 255, 255, 0}, kTestFill},
      {"cmyk-alpha.tif", plugInModeCMYKColor, true, {255, 255, 255, 255}, {255, 255, 255, 0}, kTestFill},
      {"lab.tif", plugInModeLabColor, false, {255, 128, 128}, {0, 128, 128}, kTestFill},
  };
  for (const Mode& mode : modes) {
    if (std::string(mode.file).find(".jpg") != std::string::npos) continue;  // lossy: checked below
    const io::ImageFile original = KnownRegions(mode);
    const std::string input = Save(KnownRegions(mode), std::string("in-") + mode.file);
    std::vector<std::string> arguments = {"run", input, "-o", Path(std::string("out-") + mode.file)};
    arguments.insert(arguments.end(), mode.options.begin(), mode.options.end());
    const CommandResult result = tessel.Run(arguments);
    ASSERT_EQ(result.exitCode, 0) << mode.file << ": " << result.err;
    ExpectFlatted(io::LoadImageFile(Path(std::string("out-") + mode.file)), original, mode);
  }
}

TEST_F(TesselCommandRunTest, JpegPagesAreFlattedToo) {
  const Mode mode{"rgb.jpg", plugInModeRGBColor, false, {255, 255, 255}, {0, 0, 0}, kTestFill};
  const std::string input = Save(KnownRegions(mode), "in.jpg");
  // JPEG blurs the lines a little; what counts is that every region changed.
  const CommandResult result = tessel.Run({"run", input, "-o", Path("out.png"), "--tolerance", "40", "--no-anti-aliased"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const io::ImageFile flat = io::LoadImageFile(Path("out.png"));
  for (int region = 0; region < 6; ++region) {
    const auto pixel = flat.pixels.Pixel(8 + 17 * (region % 3), 8 + 17 * (region / 3));
    EXPECT_NE(pixel, (std::vector<uint8_t>{255, 255, 255})) << region;
  }
}

// A 16-bit page written by another tool from an 8-bit one is flatted to
// exactly what the 8-bit page gives, written with 8 bits, with one notice.
TEST_F(TesselCommandRunTest, SixteenBitPagesAreFlattedAsTheirEightBitSelves) {
  const Mode rgba{"rgba.png", plugInModeRGBColor, true, {255, 255, 255}, {0, 0, 0}, {}};
  const Mode grey{"grey.tif", plugInModeGrayScale, false, {255}, {0}, kTestFill};
  for (const Mode& mode : {rgba, grey}) {
    const std::string eight = Save(KnownRegions(mode), std::string("8-") + mode.file);
    const std::string sixteen = Path(std::string("16-") + mode.file);
    const std::string convert = "convert '" + eight + "' -depth 16 " +
                                (mode.transparency ? "PNG64:" : "-type Grayscale ") + "'" + sixteen + "'";
    ASSERT_EQ(std::system(convert.c_str()), 0) << convert;

    std::vector<std::string> arguments = {"run", eight, "-o", Path(std::string("out-8-") + mode.file)};
    arguments.insert(arguments.end(), mode.options.begin(), mode.options.end());
    const CommandResult fromEight = tessel.Run(arguments);
    arguments[1] = sixteen;
    arguments[3] = Path(std::string("out-16-") + mode.file);
    const CommandResult fromSixteen = tessel.Run(arguments);

    ASSERT_EQ(fromEight.exitCode, 0) << fromEight.err;
    ASSERT_EQ(fromSixteen.exitCode, 0) << fromSixteen.err;
    const std::string notice = "tessel: " + sixteen +
                               ": 16 bits per channel, flatted and written with 8 as the filter works on 8-bit pages\n";
    EXPECT_THAT(fromEight.err, Not(HasSubstr("16 bits")));
    EXPECT_THAT(fromSixteen.err, HasSubstr(notice));
    EXPECT_EQ(fromSixteen.err.find("16 bits"), fromSixteen.err.rfind("16 bits")) << "the notice is given once";
    const io::ImageFile flat = io::LoadImageFile(arguments[3]);
    EXPECT_FALSE(flat.reducedFromSixteenBits) << mode.file;
    EXPECT_EQ(flat.imageMode, mode.imageMode) << mode.file;
    EXPECT_TRUE(flat.pixels.SamePixels(io::LoadImageFile(Path(std::string("out-8-") + mode.file)).pixels))
        << mode.file;
    ExpectFlatted(flat, KnownRegions(mode), mode);
  }
}

TEST_F(TesselCommandRunTest, GreyPageWithTheAntiAliasedTestIsRefusedUnwritten) {
  const Mode grey{"grey.png", plugInModeGrayScale, false, {255}, {0}, {}};
  const std::string input = Save(KnownRegions(grey), "grey.png");
  const CommandResult result = tessel.Run({"run", input, "-o", Path("out.png")});
  EXPECT_EQ(result.exitCode, 4) << result.err;
  EXPECT_THAT(result.err, HasSubstr("grey.png"));
  EXPECT_FALSE(fs::exists(Path("out.png")));
}

TEST_F(TesselCommandRunTest, RecordedSettingsReplayByteForByteWhateverTheBatch) {
  const Mode rgb{"rgb.png", plugInModeRGBColor, false, {255, 255, 255}, {0, 0, 0}, {}};
  fs::create_directory(work.path() / "pages");
  for (int i = 0; i < 5; ++i) {
    io::ImageFile page = KnownRegions(rgb);
    page.pixels.SetPixel(i, 3 + i, {0, 0, 0});  // each page a little different
    Save(std::move(page), "pages/page-" + std::to_string(i) + ".png");
  }
  const std::string action = Path("settings.action");
  const CommandResult recorded = tessel.Run(
      {"run", Path("pages/page-0.png"), "-o", Path("first.png"), "--flag", "--flag-size", "5", "--record", action});
  ASSERT_EQ(recorded.exitCode, 0) << recorded.err;
  EXPECT_THAT(ReadBytes(action), HasSubstr("\"FlaG\""));

  const CommandResult two = tessel.Run({"run", Path("pages"), "-o", Path("two"), "--action", action, "--jobs", "2"});
  ASSERT_EQ(two.exitCode, 0) << two.err;
  const CommandResult one = tessel.Run({"run", Path("pages"), "-o", Path("one"), "--action", action, "--jobs", "1"});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  const CommandResult alone = tessel.Run({"run", Path("pages/page-3.png"), "-o", Path("alone.png"), "--action", action});
  ASSERT_EQ(alone.exitCode, 0) << alone.err;

  std::set<std::string> distinct;
  for (int i = 0; i < 5; ++i) {
    const std::string name = "page-" + std::to_string(i) + ".png";
    const std::string bytes = ReadBytes(work.path() / "two" / name);
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_EQ(bytes, ReadBytes(work.path() / "one" / name)) << name;
    distinct.insert(bytes);
  }
  EXPECT_EQ(ReadBytes(Path("first.png")), ReadBytes(work.path() / "one" / "page-0.png"));
  EXPECT_EQ(ReadBytes(Path("alone.png")), ReadBytes(work.path() / "two" / "page-3.png"));
  EXPECT_EQ(distinct.size(), 5u);
}

TEST_F(TesselCommandRunTest, AFailingPageDoesNotStopTheOthers) {
  const Mode rgb{"rgb.png", plugInModeRGBColor, false, {255, 255, 255}, {0, 0, 0}, {}};
  fs::create_directory(work.path() / "pages");
  Save(KnownRegions(rgb), "pages/a.png");
  Save(KnownRegions(rgb), "pages/c.png");
  WriteBytes(work.path() / "pages" / "b.png", "not a page");
  const CommandResult result = tessel.Run({"run", Path("pages"), "-o", Path("flats"), "--jobs", "2"});
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_THAT(result.err, HasSubstr("b.png"));
  EXPECT_THAT(result.err, HasSubstr("2 of 3 pages flatted"));
  EXPECT_TRUE(fs::exists(work.path() / "flats" / "a.png"));
  EXPECT_TRUE(fs::exists(work.path() / "flats" / "c.png"));
  EXPECT_FALSE(fs::exists(work.path() / "flats" / "b.png"));
}

TEST_F(TesselCommandRunTest, InPlaceReplacesTheInputWithItsResult) {
  const Mode rgba{"rgba.png", plugInModeRGBColor, true, {255, 255, 255}, {0, 0, 0}, {}};
  const io::ImageFile original = KnownRegions(rgba);
  const std::string page = Save(KnownRegions(rgba), "page.png");
  const CommandResult result = tessel.Run({"run", page, "--in-place"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ExpectFlatted(io::LoadImageFile(page), original, rgba);
}

TEST_F(TesselCommandRunTest, PaletteColoursComeFromTheNamedSwatchFile) {
  const fs::path swatches = tessel.presets() / "Color Swatches";
  fs::create_directories(swatches);
  fs::copy_file(fs::path(TESSEL_SOURCE_DIR) / "examples/presets/Color Swatches/Pastels.aco", swatches / "Pastels.aco");
  const Mode rgb{"rgb.png", plugInModeRGBColor, false, {255, 255, 255}, {0, 0, 0}, {}};
  const std::string input = Save(KnownRegions(rgb), "page.png");
  const CommandResult result = tessel.Run({"run", input, "-o", Path("out.png"), "--palette", "Pastels.aco"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::set<std::vector<uint8_t>> pastels = {{180, 230, 200}, {250, 200, 170}, {200, 190, 240},
                                                  {250, 235, 160}, {170, 210, 240}, {245, 180, 200}};
  const io::ImageFile flat = io::LoadImageFile(Path("out.png"));
  for (int region = 0; region < 6; ++region) {
    const auto pixel = flat.pixels.Pixel(8 + 17 * (region % 3), 8 + 17 * (region / 3));
    EXPECT_EQ(pastels.count(pixel), 1u) << "region " << region << ": " << int(pixel[0]) << "," << int(pixel[1]) << ","
                                        << int(pixel[2]);
  }
}

}  // namespace
}  // namespace tessel::test
