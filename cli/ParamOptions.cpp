#include "cli/ParamOptions.h"

#include <functional>
#include <stdexcept>

#include "base/ParamItems.h"

namespace tessel::cli {

namespace {

namespace parameter = tessel::parameter;

const char* const kGroup = "Filter parameters";

std::string DefaultText(const parameter::Declaration& declared) {
  const parameter::Option& option = declared.option;
  return std::visit(parameter::Overloaded{
                        [&](parameter::ColorMember) { return base::ColorText(declared.initial.color); },
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
  return std::holds_alternative<parameter::SizeMember>(declared.member) ? "SIZE" : "INT";
}

std::string OptionNames(const parameter::Declaration& declared) {
  const std::string name = declared.option.name;
  return "--" + name + (base::Negatable(declared) ? ",!--no-" + name : "");
}

// The colour options' check and conversion.
std::function<void(const std::string&)> ColorSetter(base::ParamValues& values, DescriptorKeyID key,
                                                    std::string option) {
  return [&values, key, option](const std::string& text) {
    _t_ASRGBColor color{};
    if (!base::ParseColor(text, color)) throw CLI::ValidationError(option, base::NotAColor(text));
    values.Put(base::params::ColorItem(key, color));
  };
}

}  // namespace

base::TypedSize SizeOf(const std::string& option, const std::string& text, int64_t low, int64_t high) {
  try {
    return base::ReadSize(text, low, high);
  } catch (const std::invalid_argument& e) {
    throw CLI::ValidationError(option, e.what());
  }
}

std::string ParamOptionHelp(const parameter::Declaration& declared) {
  std::string help = declared.option.help;
  if (std::holds_alternative<parameter::SizeMember>(declared.member)) help += "; SIZE is " + std::string(base::kSizeUnits);
  return declared.option.showsDefault ? help + " (default " + DefaultText(declared) + ")" : help;
}

std::string ParamOptionsList() {
  std::string list;
  for (const parameter::Declaration& declared : parameter::kDeclarations) {
    std::string usage = "`--" + std::string(declared.option.name);
    const std::string value = ValueText(declared);
    usage += value.empty() ? "`" : " " + value + "`";
    if (base::Negatable(declared)) usage += ", `--no-" + std::string(declared.option.name) + "`";
    list += "- " + usage + ": " + ParamOptionHelp(declared) + "\n";
  }
  return list;
}

void RegisterParamOptions(CLI::App& app, base::ParamValues& values) {
  for (const parameter::Declaration& declared : parameter::kDeclarations) {
    const DescriptorKeyID key = declared.key;
    const parameter::Option& option = declared.option;
    const std::string names = OptionNames(declared), help = ParamOptionHelp(declared);
    CLI::Option* added = std::visit(
        parameter::Overloaded{
            [&](parameter::ColorMember) {
              return app.add_option_function<std::string>(names, ColorSetter(values, key, names), help);
            },
            [&](parameter::NameMember) {
              return app.add_option_function<std::string>(
                  names, [&values](const std::string& name) { values.PutPalette(name); }, help);
            },
            [&](parameter::FlagMember) {
              if (option.onWord) {
                const auto put = [&values, key, on = std::string(option.onWord)](const std::string& word) {
                  values.Put({key, word == on});
                };
                return app.add_option_function<std::string>(names, put, help)
                    ->check(CLI::IsMember({option.onWord, option.offWord}));
              }
              const auto put = [&values, key](int64_t count) { values.Put({key, count > 0}); };
              return app.add_flag_function(names, put, help);
            },
            [&](parameter::SizeMember) {
              const auto put = [&values, key, names, low = option.low, high = option.high](const std::string& text) {
                values.PutSize(key, SizeOf(names, text, low, high));
              };
              return app.add_option_function<std::string>(names, put, help);
            },
            [&](auto) {
              const auto put = [&values, key](int32_t value) { values.Put({key, value}); };
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

}  // namespace tessel::cli
