#include "base/TypedParams.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "base/ParamItems.h"

namespace tessel::base {

namespace {

// A byte typed by the user spans the whole 16-bit range: 255 is 65535, so
// that white is the filter's own default white. The dialog shifts the byte
// into the high byte instead (255 is 65280), as the editor's dialog does;
// both give the same 8-bit paint colour, but recorded actions and their
// outputs were made with this mapping, so the typed forms keep it.
uint16_t Wide(int byte) { return static_cast<uint16_t>(byte * 257); }

const std::map<std::string, std::array<int, 3>>& ColorNames() {
  static const std::map<std::string, std::array<int, 3>> kNames = {
      {"white", {255, 255, 255}}, {"black", {0, 0, 0}},     {"red", {255, 0, 0}},     {"green", {0, 255, 0}},
      {"blue", {0, 0, 255}},      {"cyan", {0, 255, 255}}, {"magenta", {255, 0, 255}}, {"yellow", {255, 255, 0}}};
  return kNames;
}

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

}  // namespace

bool ParseColor(const std::string& text, _t_ASRGBColor& color) {
  int rgb[3] = {};
  const auto named = ColorNames().find(text);
  if (named != ColorNames().end()) {
    for (int i = 0; i < 3; ++i) rgb[i] = named->second[static_cast<size_t>(i)];
  } else if (!ParseHex(text, rgb) && !ParseTriple(text, rgb)) {
    return false;
  }
  color = {Wide(rgb[0]), Wide(rgb[1]), Wide(rgb[2])};
  return true;
}

std::string ColorText(const _t_ASRGBColor& color) {
  for (const auto& [name, rgb] : ColorNames())
    if (Wide(rgb[0]) == color.red && Wide(rgb[1]) == color.green && Wide(rgb[2]) == color.blue) return name;
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%02x%02x%02x", color.red >> 8, color.green >> 8, color.blue >> 8);
  return hex;
}

std::string NotAColor(const std::string& text) {
  return "\"" + text + "\" is not a colour; use #rrggbb, r,g,b (0-255) or a name such as white";
}

std::optional<int64_t> FlagCount(const std::string& word) {
  static const std::map<std::string, int64_t> kWords = {
      {"true", 1},   {"on", 1},   {"yes", 1}, {"enable", 1},   {"t", 1},  {"y", 1},  {"+", 1},
      {"false", -1}, {"off", -1}, {"no", -1}, {"disable", -1}, {"f", -1}, {"n", -1}, {"-", -1}, {"0", -1}};
  std::string lower;
  for (char c : word) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (const auto found = kWords.find(lower); found != kWords.end()) return found->second;
  char* end = nullptr;
  errno = 0;
  const long long count = std::strtoll(word.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE) return std::nullopt;
  return count;
}

bool Negatable(const parameter::Declaration& declared) {
  return std::holds_alternative<parameter::FlagMember>(declared.member) && !declared.option.onWord &&
         declared.option.negatable;
}

void ParamValues::PutPalette(const std::string& name) {
  mPalette = name;
  params::PutPalette(mItems, name);
}

void ParamValues::Overlay(Descriptor& descriptor) const {
  for (const DescriptorItem& item : mItems.items) descriptor.Put(item);
}

}  // namespace tessel::base
