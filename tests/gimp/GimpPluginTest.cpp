// The GIMP plug-in in a real GIMP, headless: one GIMP process loads
// generated pages, runs the plug-in on them non-interactively from a batch
// (Script-Fu in GIMP 2.10, Python in GIMP 3; see kRunner) and saves them.
// Each result must equal the tessel command's for the same settings, pixel
// for pixel; pixels outside a selection must stay as they were. The flats of
// an ink layer (black on transparency) smaller than the canvas cover the
// canvas, opaque.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vips/vips.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <regex>

#include "io/ImageFile.h"
#include "tests/cli/TesselCommand.h"
#include "tests/gimp/GimpCases.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
namespace fs = boost::filesystem;

// A 16-bit image's samples, interleaved.
struct WideImage {
  int width = 0, height = 0, bands = 0;
  std::vector<uint16_t> samples;
};

// The page's bytes as the high bytes of 16-bit samples whose low bytes are
// anything but zero, so that a sample cut to 8 bits shows.
void SaveSixteenBits(const io::ImageFile& page, const fs::path& path) {
  const base::ImageBuffer& pixels = page.pixels;
  std::vector<uint16_t> samples;
  for (int64_t y = 0; y < pixels.height(); ++y)
    for (int64_t x = 0; x < pixels.width(); ++x)
      for (int p = 0; p < pixels.planes(); ++p)
        samples.push_back(static_cast<uint16_t>(pixels.at(x, y, p) << 8 | (1 + (x * 7 + y * 13 + p * 5) % 255)));
  VipsImage* image = vips_image_new_from_memory_copy(samples.data(), samples.size() * 2, int(pixels.width()),
                                                     int(pixels.height()), pixels.planes(), VIPS_FORMAT_USHORT);
  image->Type = pixels.planes() < 3 ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_RGB16;
  ASSERT_EQ(vips_pngsave(image, path.c_str(), "bitdepth", 16, nullptr), 0) << vips_error_buffer();
  g_object_unref(image);
}

WideImage LoadSixteenBits(const fs::path& path) {
  WideImage wide;
  VipsImage* image = vips_image_new_from_file(path.c_str(), nullptr);
  if (!image || vips_image_get_format(image) != VIPS_FORMAT_USHORT) {
    if (image) g_object_unref(image);
    return wide;
  }
  size_t size = 0;
  void* memory = vips_image_write_to_memory(image, &size);
  wide = {vips_image_get_width(image), vips_image_get_height(image), vips_image_get_bands(image),
          std::vector<uint16_t>(static_cast<uint16_t*>(memory), static_cast<uint16_t*>(memory) + size / 2)};
  g_free(memory);
  g_object_unref(image);
  return wide;
}

// The colour planes of a page whose transparency is opaque everywhere;
// `page` itself when it has any other.
io::ImageFile WithoutOpaqueAlpha(io::ImageFile page) {
  const base::ImageBuffer& pixels = page.pixels;
  if (!page.hasTransparency) return page;
  base::ImageBuffer colours({pixels.width(), pixels.height(), pixels.planes() - 1});
  for (int64_t y = 0; y < pixels.height(); ++y)
    for (int64_t x = 0; x < pixels.width(); ++x) {
      if (pixels.at(x, y, pixels.planes() - 1) != 255) return page;
      for (int p = 0; p < colours.planes(); ++p) colours.at(x, y, p) = pixels.at(x, y, p);
    }
  return {std::move(colours), page.imageMode, false, page.traits};
}

class GimpPluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(VIPS_INIT("tessel_gimp_tests"), 0);
    sTessel = std::make_unique<TesselCommand>();
    sWork = std::make_unique<TempFolder>();
    fs::create_directories(sTessel->presets() / "Color Swatches");
    fs::copy_file(fs::path(TESSEL_SOURCE_DIR) / "examples/presets/Color Swatches/Comic.aco",
                  sTessel->presets() / "Color Swatches/Comic.aco");
    sCases = CasesOf(kRunner.version);
    uint32_t seed = 1;
    for (const Case& c : sCases) {
      io::ImageFile page = MakePage(c, seed++);
      if (c.sixteenBits) SaveSixteenBits(page, In(c));
      else io::SaveImageFile(page, In(c).string());
      // SaveImageFile leaves the buffer in the file's conventions: reload.
      page = io::LoadImageFile(In(c).string());
      if (!c.hintsArgument.empty()) {
        io::ImageFile hints = MakeHints();
        io::SaveImageFile(hints, Hints(c).string());
      }
      if (c.refusal.empty()) sExpected.emplace(c.name, Expected(c, page));
    }
    sLog = RunGimp(sCases, "");
  }

  static void TearDownTestSuite() {
    sWork.reset();
    sTessel.reset();
    sExpected.clear();
  }

  static fs::path In(const Case& c) { return sWork->path() / (c.name + ".png"); }
  static fs::path Hints(const Case& c) {
    return c.hintsArgument.empty() ? fs::path() : sWork->path() / (c.name + "-hints.png");
  }
  static std::vector<fs::path> Outs(const Case& c) {
    std::vector<fs::path> outs;
    for (int layer = 0; layer < c.layers; ++layer)
      outs.push_back(sWork->path() / (c.name + "-gimp-" + std::to_string(layer) + ".png"));
    return outs;
  }

  // What the tessel command makes of the page (of the selected part of it).
  static io::ImageFile Expected(const Case& c, const io::ImageFile& page) {
    const fs::path input = c.selection || c.layerBounds ? sWork->path() / (c.name + "-part.png") : In(c);
    if (c.selection) {
      io::ImageFile part = Crop(page, *c.selection);
      io::SaveImageFile(part, input.string());
    }
    if (c.layerBounds) {
      // The canvas, with nothing beyond the layer's bounds.
      io::ImageFile canvas{base::ImageBuffer(page.pixels.geometry()), page.imageMode, true, {}};
      Paste(canvas, Crop(page, *c.layerBounds), *c.layerBounds);
      io::SaveImageFile(canvas, input.string());
    }
    const fs::path output = sWork->path() / (c.name + "-tessel.png");
    std::vector<std::string> arguments{"run", input.string(), "-o", output.string()};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    if (!c.hintsArgument.empty()) {
      const fs::path part = sWork->path() / (c.name + "-hints-part.png");
      if (c.selection) {
        io::ImageFile cropped = Crop(io::LoadImageFile(Hints(c).string()), *c.selection);
        io::SaveImageFile(cropped, part.string());
      }
      arguments.insert(arguments.end(), {"--hints", (c.selection ? part : Hints(c)).string()});
    }
    const CommandResult run = sTessel->Run(arguments);
    EXPECT_EQ(run.exitCode, 0) << c.name << ": " << run.err;
    io::ImageFile flat = io::LoadImageFile(output.string());
    if (!c.selection || !c.savedLayer.empty()) return flat;
    io::ImageFile whole = io::LoadImageFile(In(c).string());
    Paste(whole, flat, *c.selection);
    return whole;
  }

  // One batch command per case in one GIMP, with `environment` (VAR=value
  // words) added to the test's own; answers GIMP's log.
  static std::string RunGimp(const std::vector<Case>& cases, const std::string& environment) {
    const fs::path home = sWork->path() / "home";
    fs::create_directories(home);
    std::vector<Job> jobs;
    for (const Case& c : cases) jobs.push_back({&c, In(c), Outs(c), Hints(c)});
    const std::string command = kRunner.command(jobs, sWork->path(), home);
    const fs::path log = sWork->path() / "gimp.log";
    // A private GIMP: its folder (not made here: GIMP sets it up) and
    // per-user folders in the test's own; the command's presets folder.
    const std::string prefix =
        "env -u DISPLAY HOME=" + Quoted(home) + " XDG_CONFIG_HOME=" + Quoted(home / "config") +
        " XDG_DATA_HOME=" + Quoted(sTessel->presets().parent_path().parent_path()) +
        // GLib and GEGL keep allocations for the life of the plug-in's process.
        " ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" " + environment + " ";
    const int status = std::system((prefix + command + " > " + Quoted(log) + " 2>&1").c_str());
    EXPECT_EQ(status, 0) << "GIMP did not quit by itself\n" << ReadBytes(log);
    return ReadBytes(log);
  }

  static std::unique_ptr<TesselCommand> sTessel;
  static std::unique_ptr<TempFolder> sWork;
  static std::vector<Case> sCases;
  static std::map<std::string, io::ImageFile> sExpected;
  static std::string sLog;
};

std::unique_ptr<TesselCommand> GimpPluginTest::sTessel;
std::unique_ptr<TempFolder> GimpPluginTest::sWork;
std::vector<Case> GimpPluginTest::sCases;
std::map<std::string, io::ImageFile> GimpPluginTest::sExpected;
std::string GimpPluginTest::sLog;

long Count(const std::string& log, const std::string& text) {
  const std::regex pattern(text);
  return std::distance(std::sregex_iterator(log.begin(), log.end(), pattern), std::sregex_iterator());
}

TEST_F(GimpPluginTest, EveryCaseRanThroughAndTheRefusedOnesSaidWhy) {
  long refused = 0;
  for (const Case& c : sCases) {
    if (c.refusal.empty()) continue;
    ++refused;
    EXPECT_THAT(sLog, HasSubstr(c.refusal)) << c.name;
    for (const fs::path& out : Outs(c)) EXPECT_FALSE(fs::exists(out)) << c.name;
  }
  ASSERT_GT(refused, 0);
  for (const Case& c : sCases) {
    if (c.notice.empty()) continue;
    EXPECT_THAT(sLog, HasSubstr(c.notice)) << c.name;
  }
  EXPECT_EQ(Count(sLog, kRunner.ranThrough),
            static_cast<long>(sCases.size()) - (kRunner.refusedRunsThrough ? 0 : refused))
      << sLog;
  EXPECT_EQ(Count(sLog, kRunner.refused), refused) << sLog;
}

TEST_F(GimpPluginTest, PixelsEqualTheCommandsForTheSameSettings) {
  for (const Case& c : sCases) {
    if (!c.refusal.empty()) continue;
    for (const fs::path& out : Outs(c)) {
      SCOPED_TRACE(out.filename().string());
      ASSERT_TRUE(fs::exists(out)) << sLog;
      io::ImageFile gimp = io::LoadImageFile(out.string());
      const io::ImageFile& expected = sExpected.at(c.name);
      // A group layer shows its layers with transparency, here opaque everywhere;
      // a Flats layer has the page's transparency plane, which must be opaque
      // where the command writes flats without one.
      if ((c.inGroup || !c.savedLayer.empty()) && !expected.hasTransparency)
        gimp = WithoutOpaqueAlpha(std::move(gimp));
      EXPECT_EQ(gimp.imageMode, expected.imageMode);
      EXPECT_EQ(gimp.hasTransparency, expected.hasTransparency);
      EXPECT_EQ(gimp.reducedFromSixteenBits, c.sixteenBits);
      const auto difference = gimp.pixels.FirstDifference(expected.pixels);
      EXPECT_FALSE(difference) << *difference;
      // And the filter did paint the page (the part under a new layer),
      // unless it is to say why not.
      io::ImageFile original = io::LoadImageFile(In(c).string());
      if (c.selection && !c.savedLayer.empty()) original = Crop(original, *c.selection);
      EXPECT_EQ(gimp.pixels.SamePixels(original.pixels), !c.notice.empty());
      // A layer of flats is opaque, wherever its line art had transparency.
      if (c.savedLayer.empty() || !gimp.hasTransparency) continue;
      for (int64_t y = 0; y < gimp.pixels.height(); ++y)
        for (int64_t x = 0; x < gimp.pixels.width(); ++x)
          ASSERT_EQ(gimp.pixels.at(x, y, gimp.pixels.planes() - 1), 255) << "(" << x << ", " << y << ")";
    }
  }
}

// In an image of more than 8 bits, the filter's paint is written back as
// 16-bit samples and every pixel it left keeps all its bits; a layer of
// flats is the filter's paint alone.
TEST_F(GimpPluginTest, SixteenBitPixelsTheFilterLeftKeepEveryBit) {
  if (kRunner.version < 3) GTEST_SKIP() << "GIMP 2.10's plug-in flats 8-bit images only";
  for (const Case& c : sCases) {
    if (!c.sixteenBits) continue;
    SCOPED_TRACE(c.name);
    const WideImage before = LoadSixteenBits(In(c)), after = LoadSixteenBits(Outs(c).front());
    ASSERT_EQ(after.samples.size(), before.samples.size()) << "not a 16-bit result of the page's size";
    const size_t bands = static_cast<size_t>(before.bands);
    size_t kept = 0, painted = 0;
    for (size_t pixel = 0; pixel < before.samples.size(); pixel += bands) {
      bool same = true, wide = true;
      for (size_t band = 0; band < bands; ++band) {
        const uint16_t was = before.samples[pixel + band], is = after.samples[pixel + band];
        same = same && is == was;
        wide = wide && is == (is >> 8) * 257;
      }
      ASSERT_TRUE(wide || (same && c.savedLayer.empty()))
          << "pixel " << pixel / bands << " is neither as it was nor a byte widened";
      kept += same;
      painted += !same;
    }
    EXPECT_GT(painted, 0u);
    if (!c.savedLayer.empty()) continue;
    EXPECT_GT(kept, 0u);
  }
}

TEST_F(GimpPluginTest, AMissingModuleIsNamedWithThePlaceLooked) {
  const fs::path nowhere = sWork->path() / "nowhere" / "Tessel.so";
  Case call = sCases.front();
  call.name = "no-module";
  call.refusal = "the Tessel module was not found; looked for " + nowhere.string();
  fs::copy_file(In(sCases.front()), In(call));
  const std::string log = RunGimp({call}, "TESSEL_MODULE=" + Quoted(nowhere));
  EXPECT_THAT(log, HasSubstr(call.refusal));
  EXPECT_EQ(Count(log, kRunner.refused), 1) << log;
  EXPECT_FALSE(fs::exists(Outs(call).front()));
}

}  // namespace
}  // namespace tessel::test
