#include "capi/CallOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <vector>

#include "base/ParamItems.h"

namespace tessel::capi {

namespace {

using pipeline::PageOptions;

[[noreturn]] void Refuse(const std::string& option, const std::string& problem) {
  throw OptionError(option + ": " + problem);
}

// What a call gave for one option.
struct Given {
  std::optional<std::string> value;  // an option's value
  std::vector<int64_t> counts;       // a flag's: each time it was given, how it counts
};

struct Kind {
  bool flag;
  bool negatable;  // also given as --no-name, counting against
};

// Every option a call may give, by name.
const std::map<std::string, Kind>& Kinds() {
  static const std::map<std::string, Kind> kKinds = [] {
    std::map<std::string, Kind> kinds;
    const auto page = [&](const pipeline::PageOption& option) {
      kinds[option.name] = {std::holds_alternative<bool PageOptions::*>(option.member), false};
    };
    page(pipeline::PresetsOption());
    for (const pipeline::PageOption& option : pipeline::PageOptionList()) page(option);
    for (const parameter::Declaration& declared : parameter::kDeclarations)
      kinds[declared.option.name] = {
          std::holds_alternative<parameter::FlagMember>(declared.member) && !declared.option.onWord,
          base::Negatable(declared)};
    return kinds;
  }();
  return kKinds;
}

// A whole number as the command line reads it: decimal, 0x hexadecimal or
// 0 octal, within low..high.
int WholeNumber(const std::string& option, const std::string& text, int low, int high) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < low || value > high)
    Refuse(option, "\"" + text + "\" is not a whole number from " + std::to_string(low) + " to " +
                       std::to_string(high));
  return static_cast<int>(value);
}

std::map<std::string, Given> GivenIn(const char* const* options, int count) {
  std::map<std::string, Given> given;
  const auto word = [&](int i) {
    if (!options[i]) throw OptionError("option " + std::to_string(i) + " is null");
    return std::string(options[i]);
  };
  for (int i = 0; i < count; ++i) {
    const std::string spelled = word(i);
    if (spelled == "--" && i + 1 == count) break;  // the end of the options, as on a command line
    if (spelled.size() < 3 || spelled.compare(0, 2, "--") != 0)
      Refuse(spelled, "not an option; each is --name, --name value or --name=value");
    const size_t equals = spelled.find('=');
    const std::string option = spelled.substr(0, equals);
    std::optional<std::string> attached;
    if (equals != std::string::npos) attached = spelled.substr(equals + 1);

    std::string name = option.substr(2);
    bool negated = false;
    auto kind = Kinds().find(name);
    if (kind == Kinds().end() && name.compare(0, 3, "no-") == 0) {
      kind = Kinds().find(name.substr(3));
      negated = kind != Kinds().end() && kind->second.negatable;
      if (!negated) kind = Kinds().end();
    }
    if (kind == Kinds().end()) Refuse(option, "no such option");
    Given& entry = given[kind->first];

    if (kind->second.flag) {
      const std::optional<int64_t> counted = attached && !attached->empty() ? base::FlagCount(*attached) : 1;
      if (!counted) Refuse(option, "\"" + *attached + "\" is neither a yes nor a no");
      entry.counts.push_back(negated ? -*counted : *counted);
      continue;
    }
    if (entry.value) Refuse(option, "given more than once");
    if (!attached && i + 1 < count) attached = word(++i);
    if (!attached || (equals != std::string::npos && attached->empty())) Refuse(option, "its value is missing");
    entry.value = attached;
  }
  return given;
}

// A size as the command line reads it (base::ReadSize).
base::TypedSize Size(const std::string& option, const std::string& text, int low, int high) {
  try {
    return base::ReadSize(text, low, high);
  } catch (const std::invalid_argument& e) {
    Refuse(option, e.what());
  }
}

void PutPageOption(const pipeline::PageOption& declared, const Given& given, PageOptions& read) {
  const std::string option = "--" + std::string(declared.name);
  std::visit(parameter::Overloaded{
                 [&](bool PageOptions::*member) { read.*member = given.counts.back() > 0; },
                 [&](std::string PageOptions::*member) { read.*member = *given.value; },
                 [&](int PageOptions::*member) {
                   read.*member = WholeNumber(option, *given.value, declared.low, declared.high);
                 },
                 [&](base::TypedSize PageOptions::*member) {
                   read.*member = Size(option, *given.value, declared.low, declared.high);
                 },
             },
             declared.member);
}

void PutParam(const parameter::Declaration& declared, const Given& given, base::ParamValues& values) {
  const parameter::Option& declaredOption = declared.option;
  const std::string option = "--" + std::string(declaredOption.name);
  const DescriptorKeyID key = declared.key;
  std::visit(parameter::Overloaded{
                 [&](parameter::ColorMember) {
                   _t_ASRGBColor color{};
                   if (!base::ParseColor(*given.value, color)) Refuse(option, base::NotAColor(*given.value));
                   values.Put(base::params::ColorItem(key, color));
                 },
                 [&](parameter::NameMember) { values.PutPalette(*given.value); },
                 [&](parameter::FlagMember) {
                   if (!declaredOption.onWord) {
                     values.Put({key, std::accumulate(given.counts.begin(), given.counts.end(), int64_t{0}) > 0});
                   } else if (*given.value == declaredOption.onWord || *given.value == declaredOption.offWord) {
                     values.Put({key, *given.value == declaredOption.onWord});
                   } else {
                     Refuse(option, "\"" + *given.value + "\" is neither " + declaredOption.onWord + " nor " +
                                        declaredOption.offWord);
                   }
                 },
                 [&](parameter::SizeMember) {
                   values.PutSize(key, Size(option, *given.value, declaredOption.low, declaredOption.high));
                 },
                 [&](auto) {
                   values.Put({key, int32_t{WholeNumber(option, *given.value, declaredOption.low,
                                                        declaredOption.high)}});
                 },
             },
             declared.member);
}

}  // namespace

pipeline::PageOptions ReadOptions(const char* const* options, int count, const std::string& presets) {
  const std::map<std::string, Given> given = GivenIn(options, count);
  for (const parameter::Declaration& declared : parameter::kDeclarations) {
    const char* excluded = declared.option.excludes;
    if (excluded && given.count(declared.option.name) && given.count(excluded))
      Refuse("--" + std::string(declared.option.name), "cannot be given with --" + std::string(excluded));
  }

  // In the order the command line takes them, which the items keep.
  PageOptions read;
  read.presetsFolder = presets;
  const auto page = [&](const pipeline::PageOption& declared) {
    const auto found = given.find(declared.name);
    if (found != given.end()) PutPageOption(declared, found->second, read);
  };
  page(pipeline::PresetsOption());
  for (const pipeline::PageOption& declared : pipeline::PageOptionList()) page(declared);
  for (const parameter::Declaration& declared : parameter::kDeclarations)
    if (const auto found = given.find(declared.option.name); found != given.end())
      PutParam(declared, found->second, read.params);
  return read;
}

}  // namespace tessel::capi
