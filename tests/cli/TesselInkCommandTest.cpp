// `tessel run` on line art on transparency, as editors export an ink layer:
// every flats output reads it over white paper whatever lies under full
// transparency, and its opaque flats are those of the same art flattened onto
// paper; a plain run is the filter's own, with a hint when it fills nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/cli/TesselCommand.h"
#include "tests/support/LineArt.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

enum class Under { kBlack, kWhite, kRandom };

testing::Page Art(bool antiAliased) {
  testing::Page art(120, 90, 1, testing::Layout::kInterleaved);
  testing::SketchOptions sketch;
  sketch.shapes = 14;
  sketch.largestRadius = 30;
  sketch.style = {1.5, antiAliased};
  testing::DrawRandomShapes(art, sketch);
  return art;
}

// The art as a layer of `ink`, its darkness the coverage, with `under` in the
// colour planes where there is none.
io::ImageFile InkLayer(const testing::Page& art, const std::vector<uint8_t>& ink, Under under) {
  const int colour = static_cast<int>(ink.size());
  base::ImageBuffer pixels({art.width, art.height, colour + 1});
  std::mt19937 random(7);
  for (int64_t y = 0; y < art.height; ++y)
    for (int64_t x = 0; x < art.width; ++x) {
      const auto coverage = static_cast<uint8_t>(255 - art.at(x, y, 0));
      for (int p = 0; p < colour; ++p)
        pixels.at(x, y, p) = coverage                ? ink[static_cast<size_t>(p)]
                             : under == Under::kBlack ? 0
                             : under == Under::kWhite ? 255
                                                      : static_cast<uint8_t>(random());
      pixels.at(x, y, colour) = coverage;
    }
  const int16_t mode = colour == 1 ? plugInModeGrayScale : colour == 3 ? plugInModeRGBColor : plugInModeCMYKColor;
  return {std::move(pixels), mode, true, {}};
}

// The layer flattened onto white paper, worked out in floating point.
io::ImageFile Flattened(const io::ImageFile& layer) {
  const int colour = layer.pixels.planes() - 1;
  base::ImageBuffer pixels({layer.pixels.width(), layer.pixels.height(), colour});
  for (int64_t y = 0; y < pixels.height(); ++y)
    for (int64_t x = 0; x < pixels.width(); ++x) {
      const double a = layer.pixels.at(x, y, colour);
      for (int p = 0; p < colour; ++p)
        pixels.at(x, y, p) = static_cast<uint8_t>(std::lround((layer.pixels.at(x, y, p) * a + 255 * (255 - a)) / 255));
    }
  return {std::move(pixels), layer.imageMode, false, {}};
}

// Where `ink`'s output is not opaque (no transparency plane, or 255 in it) or
// its colours differ from `paper`'s; empty when neither.
std::string Difference(const io::ImageFile& ink, const io::ImageFile& paper) {
  const int colour = paper.pixels.planes();
  if (ink.pixels.planes() != colour + (ink.hasTransparency ? 1 : 0)) return "not the page's planes";
  for (int64_t y = 0; y < ink.pixels.height(); ++y)
    for (int64_t x = 0; x < ink.pixels.width(); ++x) {
      const std::string at = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
      if (ink.hasTransparency && ink.pixels.at(x, y, colour) != 255) return at + " is not opaque";
      for (int p = 0; p < colour; ++p)
        if (ink.pixels.at(x, y, p) != paper.pixels.at(x, y, p)) return at + " plane " + std::to_string(p) + " differs";
    }
  return {};
}

class TesselInkCommandTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (work.path() / name).string(); }
  std::string Save(io::ImageFile&& page, const std::string& name) const {
    io::SaveImageFile(page, Path(name));
    return Path(name);
  }
  CommandResult Run(const std::string& in, const std::string& out, std::vector<std::string> options = {}) const {
    options.insert(options.begin(), {"run", in, "-o", Path(out)});
    const CommandResult run = tessel.Run(options);
    EXPECT_EQ(run.exitCode, 0) << in << " to " << out << ": " << run.err;
    return run;
  }

  TesselCommand tessel;
  TempFolder work;
};

TEST_F(TesselInkCommandTest, WhatLiesUnderFullTransparencyChangesNoFlatsByte) {
  const testing::Page art = Art(true);
  std::optional<std::vector<std::string>> first;
  for (const Under under : {Under::kBlack, Under::kWhite, Under::kRandom}) {
    const std::string ink = Save(InkLayer(art, {20, 30, 110}, under), "ink.png");
    Run(ink, "flats.png", {"--flats-only"});
    Run(ink, "merged.png", {"--under-lines"});
    Run(ink, "layers.psd");
    std::vector<std::string> outputs;
    for (const char* name : {"flats.png", "merged.png", "layers.psd"}) outputs.push_back(ReadBytes(Path(name)));
    if (!first) first = outputs;
    for (size_t k = 0; k < outputs.size(); ++k)
      EXPECT_TRUE(outputs[k] == (*first)[k]) << "output " << k << " with stray colours " << static_cast<int>(under);
  }
}

TEST_F(TesselInkCommandTest, InkFlatsAreTheFlatsOfTheArtOnPaperAndOpaque) {
  // CMYK in the editor's bytes, 255 for no ink: paper is no ink.
  const std::vector<std::vector<uint8_t>> inks = {{20, 30, 110}, {0}, {200, 180, 255, 40}};
  for (const bool antiAliased : {false, true})
    for (const std::vector<uint8_t>& ink : inks) {
      const std::string mode = ink.size() == 1 ? "grey" : ink.size() == 3 ? "RGB" : "CMYK";
      SCOPED_TRACE((antiAliased ? "anti-aliased " : "hard ") + mode);
      const std::string extension = ink.size() == 4 ? ".tif" : ".png";
      io::ImageFile layer = InkLayer(Art(antiAliased), ink, Under::kRandom);
      const std::string paperPage = Save(Flattened(layer), "paper" + extension),
                        inkPage = Save(std::move(layer), "ink" + extension);
      std::vector<std::string> fill;
      if (ink.size() == 1) fill = {"--no-anti-aliased", "--tolerance", "8"};
      // Gap closing's search for line ends sees the ink over paper too.
      for (const std::vector<std::string>& output :
           {std::vector<std::string>{"--flats-only"}, {"--under-lines"}, {"--flats-only", "--close-gaps", "4"}}) {
        std::vector<std::string> options = fill;
        options.insert(options.end(), output.begin(), output.end());
        Run(inkPage, "ink-out" + extension, options);
        Run(paperPage, "paper-out" + extension, options);
        const io::ImageFile onPaper = io::LoadImageFile(Path("paper-out" + extension));
        EXPECT_EQ(Difference(io::LoadImageFile(Path("ink-out" + extension)), onPaper), "") << output.back();
        EXPECT_FALSE(onPaper.pixels.SamePixels(io::LoadImageFile(paperPage).pixels)) << "nothing was flatted";
      }
    }
}

TEST_F(TesselInkCommandTest, APlainRunIsTheFiltersOwnAndHintsAtTheWayToFlatInk) {
  const std::string ink = Save(InkLayer(Art(true), {0, 0, 0}, Under::kBlack), "ink.png");
  const io::ImageFile layer = io::LoadImageFile(ink);
  // Black under the transparency: nothing to fill, the page as it was, and a hint.
  const CommandResult plain = Run(ink, "plain.png");
  EXPECT_TRUE(io::LoadImageFile(Path("plain.png")).pixels.SamePixels(layer.pixels));
  EXPECT_THAT(plain.err, HasSubstr("nothing was filled on this page with transparency"));
  EXPECT_THAT(plain.err, HasSubstr("--over-paper"));
  // Over paper, it is flatted as the flattened page is, and written opaque.
  Run(ink, "over.png", {"--over-paper"});
  Run(Save(Flattened(layer), "paper.png"), "paper-out.png");
  EXPECT_EQ(Difference(io::LoadImageFile(Path("over.png")), io::LoadImageFile(Path("paper-out.png"))), "");
  // White under it: the filter fills the page as ever, and no hint is given.
  const CommandResult filled = Run(Save(InkLayer(Art(true), {0, 0, 0}, Under::kWhite), "white.png"), "filled.png");
  EXPECT_THAT(filled.err, Not(HasSubstr("nothing was filled")));
}

}  // namespace
}  // namespace tessel::test
