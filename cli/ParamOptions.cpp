#include "cli/ParamOptions.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>

#include "base/ParamItems.h"

namespace tessel::cli {

namespace {

namespace parameter = tessel::parameter;

const char* const kGroup = "Filter parameters";

// A byte typed by the user spans the whole 16-bit range: 255 is 65535, so
// that white is the filter's own default white. The dialog shifts the byte
// into the high byte instead (255 is 65280), as the editor's dialog does;
// both give the same 8-bit paint colour, but recorded actions and their
// outputs were made with this mapping, so the command keeps it.
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

// A default colour as a user would type it: its name, else #rrggbb.
std::string ColorText(const _t_ASRGBColor& color) {
  for (const auto& [name, rgb] : ColorNames())
    if (Wide(rgb[0]) == color.red && Wide(rgb[1]) == color.green && Wide(rgb[2]) == color.blue) return name;
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%02x%02x%02x", color.red >> 8, color.green >> 8, color.blue >> 8);
  return hex;
}

std::string DefaultText(const parameter::Declaration& declared) {
  const parameter::Option& option = declared.option;
  return std::visit(parameter::Overloaded{
                        [&](parameter::ColorMember) { return ColorText(declared.initial.color); },
                        [&](parameter::NameMember) { return std::string(); },
                        [&](parameter::FlagMember) {
                          const bool on = declared.initial.number != 0;
                          if (option.onWord) return std::string(on ? option.onWord : option.offWord);
                          return std::string(on ? "on" : "off");
                        },
                        [&](auto) { return std::to_string(declared.initial.number); },
                    },
                    declared.member);
}

std::string ValueText(const parameter::Declaration& declared) {
  const parameter::Option& option = declared.option;
  if (option.valueName) return option.valueName;
  if (option.onWord) return std::string(option.onWord) + "|" + option.offWord;
  if (std::holds_alternative<parameter::FlagMember>(declared.member)) return {};
  return "INT";
}

// An on/off flag that has a --no-name form besides --name.
bool Negatable(const parameter::Declaration& declared) {
  return std::holds_alternative<parameter::FlagMember>(declared.member) && !declared.option.onWord &&
         declared.option.negatable;
}

std::string OptionNames(const parameter::Declaration& declared) {
  const std::string name = declared.option.name;
  return "--" + name + (Negatable(declared) ? ",!--no-" + name : "");
}

// The colour options' check and conversion.
std::function<void(const std::string&)> ColorSetter(base::Descriptor& items, DescriptorKeyID key, std::string option) {
  return [&items, key, option](const std::string& text) {
    _t_ASRGBColor color{};
    if (!ParseColor(text, color))
      throw CLI::ValidationError(option, "\"" + text + "\" is not a colour; use #rrggbb, r,g,b (0-255) or a name such as white");
    items.Put(base::params::ColorItem(key, color));
  };
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

std::string ParamOptionHelp(const parameter::Declaration& declared) {
  const std::string help = declared.option.help;
  return declared.option.showsDefault ? help + " (default " + DefaultText(declared) + ")" : help;
}

std::string ParamOptionsList() {
  std::string list;
  for (const parameter::Declaration& declared : parameter::kDeclarations) {
    std::string usage = "`--" + std::string(declared.option.name);
    const std::string value = ValueText(declared);
    usage += value.empty() ? "`" : " " + value + "`";
    if (Negatable(declared)) usage += ", `--no-" + std::string(declared.option.name) + "`";
    list += "- " + usage + ": " + ParamOptionHelp(declared) + "\n";
  }
  return list;
}

void ParamOptions::Register(CLI::App& app) {
  for (const parameter::Declaration& declared : parameter::kDeclarations) {
    const DescriptorKeyID key = declared.key;
    const parameter::Option& option = declared.option;
    const std::string names = OptionNames(declared), help = ParamOptionHelp(declared);
    CLI::Option* added = std::visit(
        parameter::Overloaded{
            [&](parameter::ColorMember) {
              return app.add_option_function<std::string>(names, ColorSetter(mItems, key, names), help);
            },
            [&](parameter::NameMember) {
              return app.add_option_function<std::string>(
                  names,
                  [this](const std::string& name) {
                    mPalette = name;
                    base::params::PutPalette(mItems, name);
                  },
                  help);
            },
            [&](parameter::FlagMember) {
              if (option.onWord) {
                const auto put = [this, key, on = std::string(option.onWord)](const std::string& word) {
                  mItems.Put({key, word == on});
                };
                return app.add_option_function<std::string>(names, put, help)
                    ->check(CLI::IsMember({option.onWord, option.offWord}));
              }
              return app.add_flag_function(names, [this, key](int64_t count) { mItems.Put({key, count > 0}); }, help);
            },
            [&](auto) {
              const auto put = [this, key](int32_t value) { mItems.Put({key, value}); };
              return app.add_option_function<int32_t>(names, put, help)->check(CLI::Range(option.low, option.high));
            },
        },
        declared.member);
    added->group(kGroup);
    if (const std::string value = ValueText(declared); !value.empty() && value != "INT") added->type_name(value);
  }
  for (const parameter::Declaration& declared : parameter::kDeclarations)
    if (declared.option.excludes)
      app.get_option("--" + std::string(declared.option.name))->excludes("--" + std::string(declared.option.excludes));
}

void ParamOptions::Overlay(base::Descriptor& descriptor) const {
  for (const base::DescriptorItem& item : mItems.items) descriptor.Put(item);
}

}  // namespace tessel::cli
