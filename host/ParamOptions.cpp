#include "host/ParamOptions.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>

#include "host/ParamItems.h"

namespace tessel::host {

namespace {

uint16_t Wide(int byte) { return static_cast<uint16_t>(byte * 257); }

bool ParseHex(const std::string& text, int (&rgb)[3]) {
  const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
  if (digits.size() != 6) return false;
  for (char c : digits)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  for (int i = 0; i < 3; ++i) rgb[i] = std::stoi(digits.substr(static_cast<size_t>(2 * i), 2), nullptr, 16);
  return true;
}

bool ParseTriple(const std::string& text, int (&rgb)[3]) {
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d%c", &rgb[0], &rgb[1], &rgb[2], &tail) != 3) return false;
  for (int value : rgb)
    if (value < 0 || value > 255) return false;
  return true;
}

// The colour options' shared check and conversion.
std::function<void(const std::string&)> ColorSetter(Descriptor& items, DescriptorKeyID key, const char* option) {
  return [&items, key, option](const std::string& text) {
    _t_ASRGBColor color{};
    if (!ParseColor(text, color))
      throw CLI::ValidationError(option, "\"" + text + "\" is not a colour; use #rrggbb, r,g,b (0-255) or a name such as white");
    items.Put(params::ColorItem(key, color));
  };
}

// An on/off pair: --name and --no-name.
void AddSwitch(CLI::App& app, Descriptor& items, const std::string& name, DescriptorKeyID key, const std::string& help) {
  app.add_flag_function("--" + name + ",!--no-" + name,
                        [&items, key](int64_t count) { items.Put({key, count > 0}); }, help)
      ->group("Filter parameters");
}

}  // namespace

bool ParseColor(const std::string& text, _t_ASRGBColor& color) {
  static const std::map<std::string, std::array<int, 3>> kNames = {
      {"white", {255, 255, 255}}, {"black", {0, 0, 0}},     {"red", {255, 0, 0}},     {"green", {0, 255, 0}},
      {"blue", {0, 0, 255}},      {"cyan", {0, 255, 255}}, {"magenta", {255, 0, 255}}, {"yellow", {255, 255, 0}}};
  int rgb[3] = {};
  const auto named = kNames.find(text);
  if (named != kNames.end()) {
    for (int i = 0; i < 3; ++i) rgb[i] = named->second[static_cast<size_t>(i)];
  } else if (!ParseHex(text, rgb) && !ParseTriple(text, rgb)) {
    return false;
  }
  color = {Wide(rgb[0]), Wide(rgb[1]), Wide(rgb[2])};
  return true;
}

void ParamOptions::Register(CLI::App& app) {
  const char* group = "Filter parameters";
  app.add_option_function<std::string>("--fill", ColorSetter(mItems, params::kFillColor, "--fill"),
                                       "Colour of the regions to flat (default white)")
      ->type_name("COLOR")
      ->group(group);
  app.add_option_function<int>(
         "--tolerance", [this](int value) { mItems.Put({params::kTolerance, int32_t(value)}); },
         "How far per channel (0-255) a pixel may lie from the fill colour (default 0; unused with --anti-aliased)")
      ->check(CLI::Range(0, 255))
      ->group(group);
  AddSwitch(app, mItems, "anti-aliased", params::kAntiAliased,
            "Treat near-white pixels and neutral greys brighter than 16 as fill, instead of --fill and --tolerance "
            "(default on; turn it off for grey images)");
  auto* palette = app.add_option_function<std::string>(
                         "--palette",
                         [this](const std::string& name) {
                           mPalette = name;
                           params::PutPalette(mItems, name);
                         },
                         "Paint with the colours of this swatch file (see `tessel palettes`)")
                      ->type_name("NAME.aco")
                      ->group(group);
  app.add_flag_function(
         "--random", [this](int64_t) { mItems.Put({params::kRandomColors, true}); },
         "Paint with random colours (the default without a palette)")
      ->excludes(palette)
      ->group(group);
  AddSwitch(app, mItems, "flag", params::kFlag, "Repaint regions no larger than --flag-size in --flag-color");
  app.add_option_function<std::string>("--flag-color", ColorSetter(mItems, params::kFlagColor, "--flag-color"),
                                       "Colour that marks small regions (default magenta)")
      ->type_name("COLOR")
      ->group(group);
  app.add_option_function<int32_t>(
         "--flag-size", [this](int32_t size) { mItems.Put({params::kFlagSize, size}); },
         "Largest region size that is flagged (default 20)")
      ->check(CLI::Range(0, params::kLargestSize))
      ->group(group);
  AddSwitch(app, mItems, "join", params::kJoin, "Merge regions no larger than --join-size into a neighbour");
  app.add_option_function<int32_t>(
         "--join-size", [this](int32_t size) { mItems.Put({params::kJoinSize, size}); },
         "Largest region size that is joined (default 10)")
      ->check(CLI::Range(0, params::kLargestSize))
      ->group(group);
  app.add_option_function<std::string>(
         "--size-by",
         [this](const std::string& measure) { mItems.Put({params::kSizeByArea, measure == "area"}); },
         "Measure a region by its pixel count (area) or by its width and height (extent, the default)")
      ->check(CLI::IsMember({"area", "extent"}))
      ->type_name("area|extent")
      ->group(group);
}

void ParamOptions::Overlay(Descriptor& descriptor) const {
  for (const DescriptorItem& item : mItems.items) descriptor.Put(item);
}

}  // namespace tessel::host
