// plug-in-tessel in a real GIMP, headless: one GIMP process loads generated
// pages, runs the plug-in on them non-interactively from a Script-Fu batch
// and saves them. Each result must equal the tessel command's for the same
// settings, pixel for pixel; pixels outside a selection must stay as they were.
// Flats with hints take them from a layer "Hints" loaded over the page.
// The flats of an ink layer (black on transparency) smaller than the canvas
// cover the canvas, opaque.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <regex>

#include "io/ImageFile.h"
#include "tests/cli/TesselCommand.h"
#include "tests/support/LineArt.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
namespace fs = boost::filesystem;

constexpr int64_t kWidth = 240, kHeight = 180;

struct Selection {
  int64_t x, y, width, height;
};

// One call of the plug-in: its arguments after the drawable, and the same
// settings as the command's options.
struct Case {
  std::string name;
  int planes;  // of the page: 1 grey, 3 RGB, 4 RGB with transparency
  std::string arguments;
  std::vector<std::string> options;
  std::optional<Selection> selection;
  std::string runMode = "RUN-NONINTERACTIVE";
  std::string procedure = "plug-in-tessel";
  std::string savedLayer{};  // the layer saved by name; none: the drawable
  bool ink = false;          // black ink whose transparency is its coverage, black too where it has none
  std::optional<Selection> layerBounds{};  // the layer cut down to these, on the canvas
  // With hints: the argument given for them, the layer "Hints" or the page's
  // own drawable (which a run with last values must pass over for "Hints").
  std::string hintsArgument{};
};

const char kRandom[] = "1 '(255 255 255) 0 \"\" 0 '(255 0 255) 20 0 10 0";

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"rgb-random", 3, kRandom, {}, std::nullopt},
      {"rgb-palette", 3, "1 '(255 255 255) 0 \"Comic.aco\" 1 '(0 255 0) 30 1 12 1",
       {"--palette", "Comic.aco", "--flag", "--flag-color", "0,255,0", "--flag-size", "30", "--join", "--join-size",
        "12", "--size-by", "area"},
       std::nullopt},
      // Repeat: the parameter block the palette run left in GIMP's last values.
      {"repeat", 3, kRandom, {"--palette", "Comic.aco", "--flag", "--flag-color", "0,255,0", "--flag-size", "30",
                              "--join", "--join-size", "12", "--size-by", "area"},
       std::nullopt, "RUN-WITH-LAST-VALS"},
      {"grey", 1, "0 '(255 255 255) 8 \"\" 0 '(255 0 255) 20 0 10 0", {"--no-anti-aliased", "--tolerance", "8"},
       std::nullopt},
      {"alpha", 4, kRandom, {}, std::nullopt},
      {"selection", 3, kRandom, {}, Selection{37, 21, 150, 110}},
      // The flats on a layer of their own, under a selected part of a page with transparency.
      {"flats-layer", 4, kRandom, {"--flats-only"}, Selection{37, 21, 150, 110}, "RUN-NONINTERACTIVE",
       "plug-in-tessel-flats", "Flats"},
      // Coloured by a layer of hints, within a selection and with last values.
      {"flats-hints", 4, kRandom, {"--flats-only"}, Selection{37, 21, 150, 110}, "RUN-NONINTERACTIVE",
       "plug-in-tessel-flats-hints", "Flats", false, std::nullopt, "layer"},
      {"flats-hints-last", 3, kRandom, {"--flats-only"}, std::nullopt, "RUN-WITH-LAST-VALS",
       "plug-in-tessel-flats-hints", "Flats", false, std::nullopt, "drawable"},
      {"ink-layer", 4, kRandom, {"--flats-only"}, std::nullopt, "RUN-NONINTERACTIVE", "plug-in-tessel-flats", "Flats",
       true, Selection{40, 30, 160, 120}},
  };
  return cases;
}

io::ImageFile MakePage(int planes, uint32_t seed, bool ink) {
  const int colourPlanes = planes == 4 ? 3 : planes;
  const testing::Page art = testing::DrawComicPage(kWidth, kHeight, colourPlanes, 6, seed);
  base::ImageBuffer pixels({kWidth, kHeight, planes});
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) {
      if (ink) {
        pixels.at(x, y, 3) = static_cast<uint8_t>(255 - art.at(x, y, 0));
        continue;
      }
      for (int p = 0; p < colourPlanes; ++p) pixels.at(x, y, p) = art.at(x, y, p);
      // Opaque, clear and half-clear bands, crossing regions and lines.
      if (planes == 4) pixels.at(x, y, 3) = static_cast<uint8_t>(x < 60 ? 255 : x < 120 ? 0 : 96 + y % 64);
    }
  return {std::move(pixels), planes == 1 ? int16_t(plugInModeGrayScale) : int16_t(plugInModeRGBColor), planes == 4, {}};
}

// Dabs of three colours and a stroke across, over transparency.
io::ImageFile MakeHints() {
  base::ImageBuffer pixels({kWidth, kHeight, 4});
  pixels.Fill({0, 0, 0, 0});
  const std::vector<std::vector<uint8_t>> inks = {{220, 40, 60, 255}, {30, 90, 200, 255}, {250, 210, 40, 255}};
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) {
      if ((x - 60 - 50 * (y / 60)) * (x - 60 - 50 * (y / 60)) + (y % 60 - 30) * (y % 60 - 30) < 64)
        pixels.SetPixel(x, y, inks[static_cast<size_t>(y / 60)]);
      if (std::abs(y - 40 - x / 3) < 2) pixels.SetPixel(x, y, {40, 170, 90, 255});
    }
  return {std::move(pixels), plugInModeRGBColor, true, {}};
}

io::ImageFile Crop(const io::ImageFile& page, const Selection& s) {
  base::ImageBuffer pixels({s.width, s.height, page.pixels.planes()});
  for (int64_t y = 0; y < s.height; ++y)
    for (int64_t x = 0; x < s.width; ++x) pixels.SetPixel(x, y, page.pixels.Pixel(s.x + x, s.y + y));
  return {std::move(pixels), page.imageMode, page.hasTransparency, {}};
}

void Paste(io::ImageFile& page, const io::ImageFile& part, const Selection& s) {
  for (int64_t y = 0; y < s.height; ++y)
    for (int64_t x = 0; x < s.width; ++x) page.pixels.SetPixel(s.x + x, s.y + y, part.pixels.Pixel(x, y));
}

// `colour` with an opaque transparency plane.
io::ImageFile Opaque(const io::ImageFile& colour) {
  const int planes = colour.pixels.planes();
  base::ImageBuffer pixels({colour.pixels.width(), colour.pixels.height(), planes + 1});
  for (int64_t y = 0; y < pixels.height(); ++y)
    for (int64_t x = 0; x < pixels.width(); ++x) {
      for (int p = 0; p < planes; ++p) pixels.at(x, y, p) = colour.pixels.at(x, y, p);
      pixels.at(x, y, planes) = 255;
    }
  return {std::move(pixels), colour.imageMode, true, {}};
}

std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

class GimpPluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sTessel = std::make_unique<TesselCommand>();
    sWork = std::make_unique<TempFolder>();
    fs::create_directories(sTessel->presets() / "Color Swatches");
    fs::copy_file(fs::path(TESSEL_SOURCE_DIR) / "examples/presets/Color Swatches/Comic.aco",
                  sTessel->presets() / "Color Swatches/Comic.aco");
    uint32_t seed = 1;
    for (const Case& c : Cases()) {
      io::ImageFile page = MakePage(c.planes, seed++, c.ink);
      io::SaveImageFile(page, In(c).string());
      // SaveImageFile leaves the buffer in the file's conventions: reload.
      page = io::LoadImageFile(In(c).string());
      sExpected.emplace(c.name, Expected(c, page));
    }
    sLog = RunGimp();
  }

  static void TearDownTestSuite() {
    sWork.reset();
    sTessel.reset();
    sExpected.clear();
  }

  static fs::path In(const Case& c) { return sWork->path() / (c.name + ".png"); }
  static fs::path Hints(const Case& c) { return sWork->path() / (c.name + "-hints.png"); }
  static fs::path Out(const Case& c) { return sWork->path() / (c.name + "-gimp.png"); }

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
      io::ImageFile hints = MakeHints();
      io::SaveImageFile(hints, Hints(c).string());
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
    // The command writes the flats of a page with transparency without that
    // plane; GIMP's Flats layer has one, which must be opaque.
    if (!c.savedLayer.empty() && c.planes == 4 && !flat.hasTransparency) flat = Opaque(flat);
    if (!c.selection || !c.savedLayer.empty()) return flat;
    io::ImageFile whole = io::LoadImageFile(In(c).string());
    Paste(whole, flat, *c.selection);
    return whole;
  }

  // One Script-Fu command per case, then one that fails on purpose, then quit.
  static std::string RunGimp() {
    const fs::path home = sWork->path() / "home";
    fs::create_directories(home);
    std::ofstream(sWork->path() / "gimprc") << "(plug-in-path \"${gimp_dir}/plug-ins:${gimp_plug_in_dir}/plug-ins:"
                                            << TESSEL_GIMP_PLUGIN_PATH << "\")\n";
    // Each batch command is evaluated afresh: each case loads the helper.
    std::ofstream((sWork->path() / "helper.scm").string())
        << "(define (tessel-case in out selection layer mode procedure saved-layer arguments hints hints-argument)\n"
             "  (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE in in)))\n"
             "         (drawable (car (gimp-image-get-active-drawable image)))\n"
             "         (hints-layer (if (string=? hints \"\") -1\n"
             "                          (car (gimp-file-load-layer RUN-NONINTERACTIVE image hints)))))\n"
             "    (if (pair? layer) (gimp-layer-resize drawable (caddr layer) (cadddr layer)\n"
             "                                         (- (car layer)) (- (cadr layer))))\n"
             "    (if (string=? hints \"\") '()\n"
             "        (begin (gimp-image-insert-layer image hints-layer 0 -1)\n"
             "               (gimp-item-set-name hints-layer \"Hints\")))\n"
             "    (if (pair? selection) (apply gimp-image-select-rectangle\n"
             "                                 (append (list image CHANNEL-OP-REPLACE) selection)))\n"
             "    (apply procedure (append (list mode image drawable) arguments\n"
             "                             (cond ((string=? hints-argument \"layer\") (list hints-layer))\n"
             "                                   ((string=? hints-argument \"drawable\") (list drawable))\n"
             "                                   (else '()))))\n"
             "    (let ((saved (if (string=? saved-layer \"\") drawable\n"
             "                     (car (gimp-image-get-layer-by-name image saved-layer)))))\n"
             "      (file-png-save2 RUN-NONINTERACTIVE image saved out out 0 6 0 0 0 0 0 0 1))\n"
             "    (gimp-image-delete image)))\n";
    const std::string helper = "(load " + Quoted(sWork->path() / "helper.scm") + ")\n";
    std::string command = "timeout 600 gimp-console-2.10 -i -d -f -g " + Quoted(sWork->path() / "gimprc");
    const auto list = [](const std::optional<Selection>& s) {
      return s ? "'(" + std::to_string(s->x) + " " + std::to_string(s->y) + " " + std::to_string(s->width) + " " +
                     std::to_string(s->height) + ")"
               : std::string("'()");
    };
    for (const Case& c : Cases()) {
      std::ofstream(sWork->path() / (c.name + ".scm"))
          << helper << "(tessel-case " << Quoted(In(c)) << " " << Quoted(Out(c)) << " " << list(c.selection) << " "
          << list(c.layerBounds) << " " << c.runMode << " " << c.procedure << " " << Quoted(c.savedLayer) << " (list "
          << c.arguments << ") " << Quoted(c.hintsArgument.empty() ? fs::path() : Hints(c)) << " "
          << Quoted(c.hintsArgument) << ")\n";
      command += " -b '(load " + Quoted(sWork->path() / (c.name + ".scm")) + ")'";
    }
    // A grey page under the anti-aliased test: the filter's own message.
    std::ofstream(sWork->path() / "refused.scm")
        << helper << "(tessel-case " << Quoted(In(Cases()[3])) << " " << Quoted(sWork->path() / "refused.png") << " '() '() "
        << "RUN-NONINTERACTIVE plug-in-tessel \"\" (list " << kRandom << ") \"\" \"\")\n";
    // The filter itself on the ink layer: nothing to fill, and the way to its flats.
    std::ofstream(sWork->path() / "ink-plain.scm")
        << helper << "(tessel-case " << Quoted(In(Cases().back())) << " " << Quoted(sWork->path() / "ink-plain.png")
        << " '() '() RUN-NONINTERACTIVE plug-in-tessel \"\" (list " << kRandom << ") \"\" \"\")\n";
    command += " -b '(load " + Quoted(sWork->path() / "refused.scm") + ")' -b '(load " +
               Quoted(sWork->path() / "ink-plain.scm") + ")' -b '(gimp-quit 0)'";

    const fs::path log = sWork->path() / "gimp.log";
    // A private GIMP: its folder (not made here: GIMP sets it up) and
    // per-user folders in the test's own; the command's presets folder.
    const std::string environment =
        "env -u DISPLAY HOME=" + Quoted(home) + " GIMP2_DIRECTORY=" + Quoted(home / "gimp-2.10") +
        " XDG_CONFIG_HOME=" + Quoted(home / "config") +
        " XDG_DATA_HOME=" + Quoted(sTessel->presets().parent_path().parent_path()) +
        // GLib and GEGL keep allocations for the life of the plug-in's process.
        " ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" ";
    const int status = std::system((environment + command + " > " + Quoted(log) + " 2>&1").c_str());
    EXPECT_EQ(status, 0) << "GIMP did not quit by itself";
    return ReadBytes(log);
  }

  static std::unique_ptr<TesselCommand> sTessel;
  static std::unique_ptr<TempFolder> sWork;
  static std::map<std::string, io::ImageFile> sExpected;
  static std::string sLog;
};

std::unique_ptr<TesselCommand> GimpPluginTest::sTessel;
std::unique_ptr<TempFolder> GimpPluginTest::sWork;
std::map<std::string, io::ImageFile> GimpPluginTest::sExpected;
std::string GimpPluginTest::sLog;

TEST_F(GimpPluginTest, EveryCaseRanThroughAndTheFailingOneDidNot) {
  const std::regex done("batch command executed successfully");
  const auto count = std::distance(std::sregex_iterator(sLog.begin(), sLog.end(), done), std::sregex_iterator());
  // Each case and the plain run on the ink layer; not the refused page.
  EXPECT_EQ(count, static_cast<long>(Cases().size()) + 1) << sLog;
  EXPECT_THAT(sLog, HasSubstr("batch command experienced an execution error")) << sLog;
  EXPECT_FALSE(fs::exists(sWork->path() / "refused.png"));
}

TEST_F(GimpPluginTest, TheFiltersOwnMessageReachesGimp) {
  EXPECT_THAT(sLog, HasSubstr("No paint colour can be told apart from the colour to fill.")) << sLog;
  EXPECT_THAT(sLog, HasSubstr("Nothing was filled on this layer with transparency. For line art on a layer of its "
                              "own, Filters > Artistic > Tessel Flats...")) << sLog;
}

TEST_F(GimpPluginTest, PixelsEqualTheCommandsForTheSameSettings) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(fs::exists(Out(c))) << sLog;
    const io::ImageFile gimp = io::LoadImageFile(Out(c).string());
    const io::ImageFile& expected = sExpected.at(c.name);
    EXPECT_EQ(gimp.imageMode, expected.imageMode);
    EXPECT_EQ(gimp.hasTransparency, expected.hasTransparency);
    const auto difference = gimp.pixels.FirstDifference(expected.pixels);
    EXPECT_FALSE(difference) << *difference;
    // And the filter did paint the page (the part under a new layer).
    io::ImageFile original = io::LoadImageFile(In(c).string());
    if (!c.savedLayer.empty() && c.selection) original = Crop(original, *c.selection);
    EXPECT_FALSE(gimp.pixels.SamePixels(original.pixels));
    // A layer of flats is opaque, wherever its line art had transparency.
    if (c.savedLayer.empty() || !gimp.hasTransparency) continue;
    for (int64_t y = 0; y < gimp.pixels.height(); ++y)
      for (int64_t x = 0; x < gimp.pixels.width(); ++x)
        ASSERT_EQ(gimp.pixels.at(x, y, 3), 255) << "(" << x << ", " << y << ")";
  }
}

}  // namespace
}  // namespace tessel::test
