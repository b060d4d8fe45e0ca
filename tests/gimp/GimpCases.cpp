#include "tests/gimp/GimpCases.h"

#include <algorithm>
#include <cstdlib>

#include "tests/support/LineArt.h"

namespace tessel::test {

namespace {

constexpr int64_t kWidth = 240, kHeight = 180;
constexpr Selection kSelection{37, 21, 150, 110};

const std::vector<std::string> kPaletteOptions = {"--palette", "Comic.aco", "--flag", "--flag-color", "0,255,0",
                                                  "--flag-size", "30", "--join", "--join-size", "12",
                                                  "--size-by", "area"};

Case GimpThree(Case c) {
  c.gimps = Gimps::kGimp3;
  return c;
}

}  // namespace

std::vector<Argument> Arguments(const std::vector<Argument>& changed) {
  std::vector<Argument> arguments = {
      {"anti-aliased", true}, {"fill-color", Rgb{255, 255, 255}}, {"tolerance", 0},  {"palette", std::string()},
      {"flag", false},        {"flag-color", Rgb{255, 0, 255}},   {"flag-size", 20}, {"join", false},
      {"join-size", 10},      {"size-by-area", false},
  };
  for (const Argument& argument : changed) {
    const auto same = [&](const Argument& a) { return a.name == argument.name; };
    const auto place = std::find_if(arguments.begin(), arguments.end(), same);
    if (place == arguments.end()) arguments.push_back(argument);
    else *place = argument;
  }
  return arguments;
}

std::vector<Case> CasesOf(int version) {
  const Case grey{"grey", 1, Arguments({{"anti-aliased", false}, {"tolerance", 8}}),
                  {"--no-anti-aliased", "--tolerance", "8"}};
  std::vector<Case> all = {
      {"rgb-random", 3, Arguments(), {}},
      {"rgb-palette", 3,
       Arguments({{"palette", std::string("Comic.aco")}, {"flag", true}, {"flag-color", Rgb{0, 255, 0}},
                  {"flag-size", 30}, {"join", true}, {"join-size", 12}, {"size-by-area", true}}),
       kPaletteOptions},
      grey,
      {"alpha", 4, Arguments(), {}},
      {"selection", 3, Arguments(), {}, kSelection},
  };
  // Repeat: the parameter block the palette run left in GIMP 2.10's last
  // values. GIMP 3 keeps last values from interactive runs alone.
  Case repeat{"repeat", 3, Arguments(), kPaletteOptions};
  repeat.gimps = Gimps::kGimp2;
  repeat.lastValues = true;
  all.insert(all.begin() + 2, repeat);

  // The flats on a layer of their own, under a selected part of a page with transparency.
  Case flats{"flats-layer", 4, Arguments(), {"--flats-only"}, kSelection};
  flats.procedure = "plug-in-tessel-flats";
  flats.savedLayer = "Flats";
  all.push_back(flats);
  // Coloured by a layer of hints (GIMP 2.10's procedure for them, GIMP 3's
  // flats procedure's optional argument), within a selection and with last
  // values (in GIMP 2.10 those the first leaves, before any other run
  // changes them; in GIMP 3, which keeps none from a script, the defaults),
  // which take the layer "Hints".
  Case hints = flats;
  hints.name = "flats-hints";
  hints.procedure = version == 2 ? "plug-in-tessel-flats-hints" : flats.procedure;
  hints.hintsArgument = "layer";
  all.push_back(hints);
  Case hintsLast = hints;
  hintsLast.name = "flats-hints-last";
  hintsLast.planes = 3;
  hintsLast.selection.reset();
  hintsLast.lastValues = true;
  hintsLast.hintsArgument = "drawable";
  all.push_back(hintsLast);
  Case greyFlats = grey;
  greyFlats.name = "grey-flats";
  greyFlats.options.insert(greyFlats.options.begin(), "--flats-only");
  greyFlats.procedure = flats.procedure;
  greyFlats.savedLayer = flats.savedLayer;
  all.push_back(greyFlats);

  // The flats of an ink layer smaller than the canvas cover the canvas,
  // opaque; the filter itself finds nothing to fill on it and says where
  // its flats are.
  Case ink{"ink-layer", 4, Arguments(), {"--flats-only"}};
  ink.procedure = "plug-in-tessel-flats";
  ink.savedLayer = "Flats";
  ink.ink = true;
  ink.layerBounds = Selection{40, 30, 160, 120};
  all.push_back(ink);
  // Hints over the whole canvas, placed by where that layer lies on it.
  Case inkHints = ink;
  inkHints.name = "ink-layer-hints";
  inkHints.procedure = hints.procedure;
  inkHints.hintsArgument = "layer";
  all.push_back(inkHints);
  Case inkPlain{"ink-plain", 4, Arguments(), {}};
  inkPlain.ink = true;
  inkPlain.notice = "Nothing was filled on this layer with transparency. For line art on a layer of its own, "
                    "Filters > Artistic > Tessel Flats...";
  all.push_back(inkPlain);

  // GIMP 3: its flats procedure's own steps, images of more than 8 bits
  // (hints too), several drawables at once, group layers, hints of another
  // image.
  Case steps = GimpThree(flats);
  steps.name = "flats-steps";
  steps.planes = 3;
  steps.arguments = Arguments({{"distinct", true}, {"close-gaps", 6}});
  steps.options = {"--flats-only", "--distinct", "--close-gaps", "6"};
  steps.selection.reset();
  all.push_back(steps);
  Case sixteen = GimpThree({"sixteen-bits", 3, Arguments(), {}});
  sixteen.sixteenBits = true;
  all.push_back(sixteen);
  Case sixteenFlats = steps;
  sixteenFlats.name = "sixteen-bits-flats";
  sixteenFlats.sixteenBits = true;
  all.push_back(sixteenFlats);
  Case floating = sixteen;
  floating.name = "floating-point";
  floating.floatingPoint = true;
  all.push_back(floating);
  // Hints in floating point, beside the flats steps, read as the page is.
  Case floatHints = sixteenFlats;
  floatHints.name = "floating-point-hints";
  floatHints.floatingPoint = true;
  floatHints.hintsArgument = "layer";
  all.push_back(floatHints);
  // Hints from a layer of another image.
  Case otherHints = GimpThree(hints);
  otherHints.name = "hints-of-another-image";
  otherHints.hintsArgument = "other-image";
  otherHints.refusal = "the hints must be a layer of the image being flatted";
  all.push_back(otherHints);
  Case two = GimpThree({"two-layers", 4, Arguments({{"join", true}}), {"--join"}});
  two.layers = 2;
  all.push_back(two);
  Case group = GimpThree(steps);
  group.name = "group-flats";
  group.arguments = Arguments();
  group.options = {"--flats-only"};
  group.inGroup = true;
  all.push_back(group);
  Case left = GimpThree({"group-left", 3, Arguments(), {}});
  left.inGroup = true;
  left.refusal = "a group layer shows the pixels of the layers in it and was left as it is";
  all.push_back(left);

  // A grey page under the anti-aliased test: the filter's own message.
  Case refused{"refused", 1, Arguments(), {}};
  refused.refusal = "No paint colour can be told apart from the colour to fill.";
  all.push_back(refused);

  std::vector<Case> cases;
  const Gimps own = version == 2 ? Gimps::kGimp2 : Gimps::kGimp3;
  std::copy_if(all.begin(), all.end(), std::back_inserter(cases),
               [&](const Case& c) { return c.gimps == Gimps::kBoth || c.gimps == own; });
  return cases;
}

io::ImageFile MakePage(const Case& c, uint32_t seed) {
  const int planes = c.planes;
  const int colourPlanes = planes == 4 ? 3 : planes;
  const testing::Page art = testing::DrawComicPage(kWidth, kHeight, colourPlanes, 6, seed);
  base::ImageBuffer pixels({kWidth, kHeight, planes});
  for (int64_t y = 0; y < kHeight; ++y)
    for (int64_t x = 0; x < kWidth; ++x) {
      if (c.ink) {
        pixels.at(x, y, 3) = static_cast<uint8_t>(255 - art.at(x, y, 0));
        continue;
      }
      for (int p = 0; p < colourPlanes; ++p) pixels.at(x, y, p) = art.at(x, y, p);
      // Opaque, clear and half-clear bands, crossing regions and lines.
      if (planes == 4) pixels.at(x, y, 3) = static_cast<uint8_t>(x < 60 ? 255 : x < 120 ? 0 : 96 + y % 64);
    }
  return {std::move(pixels), planes == 1 ? int16_t(plugInModeGrayScale) : int16_t(plugInModeRGBColor), planes == 4, {}};
}

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

std::string Quoted(const boost::filesystem::path& path) { return "\"" + path.string() + "\""; }

}  // namespace tessel::test
