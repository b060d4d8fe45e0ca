// `tessel run` with sizes in physical units. The same drawing at 300 and at
// 600 dpi, its sizes in mm, closes the same gaps and joins and flags the same
// specks; a size in mm runs byte for byte as the pixels it rounds to, at the
// page's resolution or at --dpi's; and a size that a page cannot turn into
// pixels, or whose unit does not fit what it measures, is refused before any
// page is filtered.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>

#include "base/ParamItems.h"
#include "io/ActionFile.h"
#include "tests/cli/TesselCommand.h"
#include "tests/support/LineArt.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;

// A square with a gap in its top side, and a speck (a small ring) in the open
// beside it, drawn at `scale` times the 300 dpi page's pixels; where to look
// is in the 300 dpi page's.
struct Feature {
  double x, y;
};
struct Cell {
  Feature inside, outside, speck, beside;
};

// Gaps of 2 to 4 pixels at 300 dpi are under 0.5 mm, those of 9 and 11 over;
// ring radii of 1.5 pixels leave specks under 0.3 mm across and 0.2 mm2,
// those of 5 pixels specks over both.
constexpr int kGaps[] = {2, 3, 4, 9, 11};
constexpr double kSpecks[] = {1.5, 5, 1.5, 5, 1.5};

testing::Page Draw(double scale, std::vector<Cell>& cells) {
  testing::Page art(static_cast<int64_t>(400 * scale), static_cast<int64_t>(110 * scale), 3,
                    testing::Layout::kInterleaved);
  const testing::LineStyle style{scale, false};
  cells.clear();
  for (int k = 0; k < 5; ++k) {
    const double left = (20 + 75 * k) * scale, top = 20 * scale, side = 50 * scale;
    const double middle = left + side / 2, half = kGaps[k] * scale / 2 + style.halfWidth;
    testing::DrawLine(art, left, top, middle - half, top, style);
    testing::DrawLine(art, middle + half, top, left + side, top, style);
    testing::DrawLine(art, left + side, top, left + side, top + side, style);
    testing::DrawLine(art, left + side, top + side, left, top + side, style);
    testing::DrawLine(art, left, top + side, left, top, style);
    const Feature speck{left + side / 2, top + side + 18 * scale};
    testing::DrawEllipse(art, speck.x, speck.y, (kSpecks[k] + 1) * scale, (kSpecks[k] + 1) * scale, {scale / 2, false});
    const auto unscaled = [scale](double x, double y) { return Feature{x / scale, y / scale}; };
    cells.push_back({unscaled(middle, top + side / 2), unscaled(middle, top - 8 * scale), unscaled(speck.x, speck.y),
                     unscaled(speck.x + 14 * scale, speck.y)});
  }
  return art;
}

class TesselSizesCommandTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (work.path() / name).string(); }

  std::string Save(const testing::Page& art, double dpi, const std::string& name) const {
    base::ImageBuffer pixels({art.width, art.height, 3, base::PlaneLayout::Interleaved, 0});
    std::copy(art.bytes.begin(), art.bytes.end(), pixels.data());
    io::ImageFile image{std::move(pixels), plugInModeRGBColor, false, {}};
    image.traits.xResolution = image.traits.yResolution = dpi / 25.4;
    io::SaveImageFile(image, Path(name));
    return Path(name);
  }

  // A PNG that states no resolution: no pHYs chunk, as libvips always writes one.
  std::string SaveWithoutResolution(const testing::Page& art, const std::string& name) const {
    FILE* file = std::fopen(Path(name).c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(art.width), static_cast<png_uint_32>(art.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int64_t y = 0; y < art.height; ++y) png_write_row(png, art.bytes.data() + y * art.rowBytes());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return Path(name);
  }

  CommandResult Run(const std::string& page, const std::string& output, std::vector<std::string> options) const {
    std::vector<std::string> arguments = {"run", page, "-o", Path(output)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return tessel.Run(arguments);
  }

  TesselCommand tessel;
  TempFolder work;
};

std::vector<uint8_t> At(const io::ImageFile& image, const Feature& f, double scale = 1) {
  return image.pixels.Pixel(std::lround(f.x * scale), std::lround(f.y * scale));
}

TEST_F(TesselSizesCommandTest, TheSameDrawingAtTwoResolutionsClosesJoinsAndFlagsTheSame) {
  std::vector<Cell> cells;
  const std::string at300 = Save(Draw(1, cells), 300, "page-300.png");
  const std::string at600 = Save(Draw(2, cells), 600, "page-600.png");
  const std::vector<uint8_t> magenta = {255, 0, 255};
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{"--close-gaps", "0.5mm", "--join", "--join-size", "0.3mm"},
        std::vector<std::string>{"--flag", "--flag-size", "0.2mm2", "--size-by", "area"}}) {
    std::vector<std::vector<bool>> seen;  // per resolution: closed gaps, joined specks, flagged specks
    for (const auto& [page, scale] : {std::pair{at300, 1.0}, std::pair{at600, 2.0}}) {
      const CommandResult run = Run(page, "out.png", options);
      ASSERT_EQ(run.exitCode, 0) << run.err;
      const io::ImageFile out = io::LoadImageFile(Path("out.png"));
      std::vector<bool> found;
      for (const Cell& c : cells) {
        found.push_back(At(out, c.inside, scale) != At(out, c.outside, scale));
        found.push_back(At(out, c.speck, scale) == At(out, c.beside, scale));
        found.push_back(At(out, c.speck, scale) == magenta);
      }
      seen.push_back(found);
    }
    EXPECT_EQ(seen[0], seen[1]) << options[0];
    // Both sides of each size are drawn: some of each kind happen, not all.
    for (size_t kind = 0; kind < 3; ++kind) {
      int happened = 0;
      for (size_t k = kind; k < seen[0].size(); k += 3) happened += seen[0][k];
      const bool asked = options[0] == "--close-gaps" ? kind < 2 : kind == 2;
      EXPECT_EQ(happened, asked ? 3 : 0) << options[0] << ", kind " << kind;
    }
  }
}

TEST_F(TesselSizesCommandTest, ASizeInMillimetresRunsAsThePixelsItRoundsTo) {
  std::vector<Cell> cells;
  const testing::Page art = Draw(2, cells);
  const std::string at600 = Save(art, 600, "page-600.png"), none = SaveWithoutResolution(art, "none.png");
  const auto bytes = [&](const std::string& page, std::vector<std::string> options) {
    const CommandResult run = Run(page, "out.png", options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return ReadBytes(Path("out.png"));
  };
  // 0.5 mm at 600 dpi is 11.8 pixels, at 300 dpi 5.9.
  EXPECT_EQ(bytes(at600, {"--close-gaps", "0.5mm"}), bytes(at600, {"--close-gaps", "12"}));
  EXPECT_EQ(bytes(at600, {"--close-gaps", "0.5mm", "--dpi", "300"}), bytes(at600, {"--close-gaps", "6"}));
  EXPECT_EQ(bytes(none, {"--close-gaps", "0.5mm", "--dpi", "600"}), bytes(none, {"--close-gaps", "12px"}));
  // 1/50 in is 12 pixels at 600 dpi; 8.5 pt 70.8; 0.05 mm2 27.9 square pixels.
  EXPECT_EQ(bytes(at600, {"--join", "--join-size", "0.02in", "--record", Path("rec.action")}),
            bytes(at600, {"--join", "--join-size", "12"}));
  // The action records what the filter ran with.
  const io::Action recorded = io::LoadActionFile(Path("rec.action"));
  const base::DescriptorItem* joinSize = recorded.descriptor.Find(base::params::kKeyOf<&_STesselParams::joinSize>);
  ASSERT_NE(joinSize, nullptr);
  EXPECT_EQ(std::get<int32_t>(joinSize->value), 12);
  EXPECT_EQ(bytes(at600, {"--flag", "--flag-size", "8.5pt"}), bytes(at600, {"--flag", "--flag-size", "71"}));
  EXPECT_EQ(bytes(at600, {"--flag", "--size-by", "area", "--flag-size", "0.05mm2"}),
            bytes(at600, {"--flag", "--size-by", "area", "--flag-size", "28"}));
}

TEST_F(TesselSizesCommandTest, SizesThatCannotBeTakenAreRefusedBeforeAnyPage) {
  std::vector<Cell> cells;
  const testing::Page art = Draw(1, cells);
  const std::string at300 = Save(art, 300, "page-300.png"), none = SaveWithoutResolution(art, "none.png");
  struct Refusal {
    std::string page;
    std::vector<std::string> options;
    std::vector<std::string> said;
  };
  for (const Refusal& refusal : std::vector<Refusal>{
           {none, {"--close-gaps", "0.5mm"}, {"none.png", "no resolution", "--dpi"}},
           {none, {"--join", "--join-size", "1pt"}, {"none.png", "--join-size 1pt"}},
           {at300, {"--close-gaps", "0.1mm2"}, {"--close-gaps 0.1mm2", "length"}},
           {at300, {"--join-size", "0.1mm2"}, {"--join-size 0.1mm2", "extent", "--size-by"}},
           {at300, {"--flag-size", "1mm", "--size-by", "area"}, {"--flag-size 1mm", "area"}},
           {at300, {"--close-gaps", "1in"}, {"page-300.png", "300 dpi", "64 px"}},
           {at300, {"--close-gaps", "-1mm"}, {"--close-gaps", "not a size"}},
           {at300, {"--flag-size", "12 mm"}, {"--flag-size", "not a size"}},
           {at300, {"--close-gaps", "1.5px"}, {"--close-gaps", "not a size"}},
           {at300, {"--close-gaps", "65"}, {"--close-gaps", "0 to 64 px"}},
       }) {
    // A page that could be run comes first: it must not be.
    std::vector<std::string> arguments = {"run", at300, refusal.page, "-o", Path("out")};
    arguments.insert(arguments.end(), refusal.options.begin(), refusal.options.end());
    const CommandResult run = tessel.Run(arguments);
    EXPECT_EQ(run.exitCode, 2) << refusal.options[1];
    for (const std::string& words : refusal.said) EXPECT_THAT(run.err, HasSubstr(words)) << refusal.options[1];
    EXPECT_FALSE(boost::filesystem::exists(Path("out"))) << refusal.options[1] << ": something was written";
  }
}

}  // namespace
}  // namespace tessel::test
