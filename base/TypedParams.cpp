#include "base/TypedParams.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>

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

constexpr double kMillimetresPerInch = 25.4;

// Each unit as typed, and how many millimetres (or square millimetres) one is.
struct UnitName {
  TypedSize::Unit unit;
  const char* name;
  double millimetres;
};
constexpr UnitName kUnits[] = {
    {TypedSize::Unit::kPixels, "px", 0},
    {TypedSize::Unit::kMillimetres, "mm", 1},
    {TypedSize::Unit::kInches, "in", kMillimetresPerInch},
    {TypedSize::Unit::kPoints, "pt", kMillimetresPerInch / 72},
    {TypedSize::Unit::kSquareMillimetres, "mm2", 1},
    {TypedSize::Unit::kSquareInches, "in2", kMillimetresPerInch * kMillimetresPerInch},
};

const UnitName& NameOf(TypedSize::Unit unit) {
  return *std::find_if(std::begin(kUnits), std::end(kUnits), [unit](const UnitName& u) { return u.unit == unit; });
}

// A size as typed, unchecked; nothing when it is none.
std::optional<TypedSize> ParseSize(const std::string& text) {
  // The unit: the longest name the text ends with; pixels when none does.
  const UnitName* unit = nullptr;
  for (const UnitName& candidate : kUnits) {
    const size_t length = std::strlen(candidate.name);
    if (text.size() > length && text.compare(text.size() - length, length, candidate.name) == 0 &&
        (!unit || length > std::strlen(unit->name)))
      unit = &candidate;
  }
  const std::string number = unit ? text.substr(0, text.size() - std::strlen(unit->name)) : text;
  // No sign, and no space, which the conversions would pass over.
  if (number.empty() || !(std::isdigit(static_cast<unsigned char>(number[0])) || number[0] == '.')) return std::nullopt;
  TypedSize size;
  size.unit = unit ? unit->unit : TypedSize::Unit::kPixels;
  char* end = nullptr;
  errno = 0;
  size.amount = size.physical() ? std::strtod(number.c_str(), &end)
                                : static_cast<double>(std::strtoll(number.c_str(), &end, 0));
  if (*end != '\0' || errno == ERANGE || !std::isfinite(size.amount)) return std::nullopt;
  return size;
}

}  // namespace

const char kSizeUnits[] =
    "px (the default), or mm, in, pt for a length (a gap, a region by extent) and mm2, in2 for an area (a region by "
    "area), taken at the page's resolution or --dpi";

double TypedSize::Pixels(double pixelsPerMillimetre) const {
  if (!physical()) return amount;
  const double perMillimetre = area() ? pixelsPerMillimetre * pixelsPerMillimetre : pixelsPerMillimetre;
  return amount > 0 ? std::max(1.0, std::round(amount * NameOf(unit).millimetres * perMillimetre)) : 0;
}

std::string TypedSize::text() const {
  char number[32];
  std::snprintf(number, sizeof number, "%g", amount);
  return number + std::string(physical() ? NameOf(unit).name : "");
}

TypedSize ReadSize(const std::string& text, int64_t low, int64_t high) {
  const std::optional<TypedSize> size = ParseSize(text);
  if (!size)
    throw std::invalid_argument("\"" + text +
                                "\" is not a size; give a whole number of pixels, or a number of mm, in or pt, or of "
                                "mm2 or in2");
  if (!size->physical() && (size->amount < static_cast<double>(low) || size->amount > static_cast<double>(high)))
    throw std::invalid_argument("\"" + text + "\" is not a size from " + std::to_string(low) + " to " +
                                std::to_string(high) + " px");
  return *size;
}

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

void ParamValues::PutSize(DescriptorKeyID key, const TypedSize& size) {
  mPhysicalSizes.erase(key);
  if (!size.physical()) {
    Put({key, static_cast<int32_t>(size.amount)});
    return;
  }
  mPhysicalSizes[key] = size;
  auto& items = mItems.items;
  items.erase(std::remove_if(items.begin(), items.end(), [key](const DescriptorItem& item) { return item.key == key; }),
              items.end());
}

void ParamValues::Overlay(Descriptor& descriptor) const {
  for (const DescriptorItem& item : mItems.items) descriptor.Put(item);
}

}  // namespace tessel::base
