#include "gimp/Arguments.h"

#include <algorithm>
#include <cstring>

#include "base/ParamItems.h"
#include "interface/FolderNames.h"
#include "pipeline/PageOptions.h"

namespace tessel::gimp {

namespace {

using Record = _STesselParams;
using Steps = pipeline::PassSteps;
using parameter::Overloaded;

const std::vector<ProcedureArgument>& Table() {
  static const std::vector<ProcedureArgument> kArguments = {
      {"anti-aliased", "_Anti-aliased",
       "Treat near-white pixels and neutral greys brighter than 16 as fill, instead of fill-color and tolerance",
       &Record::paintAntiAliased},
      {"fill-color", "_Fill colour", "Colour of the regions to flat", &Record::fillColor},
      {"tolerance", "_Tolerance", "How far per channel a pixel may lie from fill-color (0-255)", &Record::tolerance},
      {"palette", "_Palette",
       std::string("Swatch file (") + kSwatchExtension + ") in the presets folder's \"" +
           kPrefsName[kSwatchFolderNameIndex] + "\" to paint with; empty for random colours",
       &Record::paletteName},
      {"flag", "Fla_g small regions", "Repaint regions no larger than flag-size in flag-color", &Record::flagAreas},
      {"flag-color", "Flag c_olour", "Colour that marks small regions", &Record::flagColor},
      {"flag-size", "Flag si_ze", "Largest region size that is flagged", &Record::flagSize},
      {"join", "_Join small regions", "Merge regions no larger than join-size into a neighbour", &Record::joinAreas},
      {"join-size", "Join s_ize", "Largest region size that is joined", &Record::joinSize},
      {"size-by-area", "Size _by area", "Measure a region by its pixel count (on) or by its width and height (off)",
       &Record::measureByArea},
      {"distinct", "_Distinct neighbours", "Recolour the flats so that no neighbouring regions share a colour",
       &Steps::distinct},
      {"close-gaps", "Clo_se gaps",
       "Close gaps in the line art up to this many pixels wide before flatting, so that an outline that does not "
       "quite close keeps its own colour (0: off)",
       &Steps::closeGaps},
  };
  return kArguments;
}

const parameter::Declaration& DeclarationOf(const parameter::Member& member) {
  return *std::find_if(std::begin(parameter::kDeclarations), std::end(parameter::kDeclarations),
                       [&](const parameter::Declaration& declared) { return declared.member == member; });
}

// The flats step's option of the same name, for its range.
const pipeline::PageOption& OptionOf(const ProcedureArgument& argument) {
  const std::vector<pipeline::PageOption>& options = pipeline::PageOptionList();
  return *std::find_if(options.begin(), options.end(),
                       [&](const pipeline::PageOption& option) { return argument.name == std::string(option.name); });
}

// GIMP's 8-bit components as the editor's 16-bit ones, each byte repeated
// (x 257) as the command line's are, so that (255 255 255) is exactly the
// command's white and a script's run replays as the same action (the
// dialog's high-byte mapping differs; see base/TypedParams.cpp).
_t_ASRGBColor EditorColor(const Rgb& color) {
  const auto wide = [](uint8_t byte) { return static_cast<uint16_t>(257 * byte); };
  return {wide(color.red), wide(color.green), wide(color.blue)};
}

// Either mapping's high byte is the byte the filter paints with.
Rgb GimpColor(const _t_ASRGBColor& color) {
  const auto narrow = [](uint16_t wide) { return static_cast<uint8_t>(wide >> 8); };
  return {narrow(color.red), narrow(color.green), narrow(color.blue)};
}

}  // namespace

std::vector<const ProcedureArgument*> ArgumentsOf(bool withFlatsSteps) {
  std::vector<const ProcedureArgument*> arguments;
  for (const ProcedureArgument& argument : Table())
    if (withFlatsSteps || !argument.flatsStep()) arguments.push_back(&argument);
  return arguments;
}

ArgumentType TypeOf(const ProcedureArgument& argument) {
  return std::visit(Overloaded{
                        [](const parameter::Member& member) {
                          return std::visit(Overloaded{
                                                [](parameter::ColorMember) { return ArgumentType::kColor; },
                                                [](parameter::NameMember) { return ArgumentType::kText; },
                                                [](parameter::FlagMember) { return ArgumentType::kSwitch; },
                                                [](auto) { return ArgumentType::kNumber; },
                                            },
                                            member);
                        },
                        [](bool Steps::*) { return ArgumentType::kSwitch; },
                        [](int Steps::*) { return ArgumentType::kNumber; },
                    },
                    argument.target);
}

ArgumentValue DefaultOf(const ProcedureArgument& argument) {
  static const Steps kNoSteps{};
  return std::visit(
      Overloaded{
          [](const parameter::Member& member) {
            const parameter::Default& initial = DeclarationOf(member).initial;
            return std::visit(Overloaded{
                                  [&](parameter::ColorMember) { return ArgumentValue(GimpColor(initial.color)); },
                                  [](parameter::NameMember) { return ArgumentValue(std::string()); },
                                  [&](parameter::FlagMember) { return ArgumentValue(initial.number != 0); },
                                  [&](auto) { return ArgumentValue(static_cast<int32_t>(initial.number)); },
                              },
                              member);
          },
          [](bool Steps::*member) { return ArgumentValue(kNoSteps.*member); },
          [](int Steps::*member) { return ArgumentValue(int32_t{kNoSteps.*member}); },
      },
      argument.target);
}

std::pair<int32_t, int32_t> RangeOf(const ProcedureArgument& argument) {
  if (TypeOf(argument) == ArgumentType::kSwitch) return {0, 1};
  if (TypeOf(argument) != ArgumentType::kNumber) return {0, 0};
  if (argument.flatsStep()) return {OptionOf(argument).low, OptionOf(argument).high};
  const parameter::Option& option = DeclarationOf(std::get<parameter::Member>(argument.target)).option;
  return {option.low, option.high};
}

int32_t InRange(const ProcedureArgument& argument, int32_t value) {
  const auto [low, high] = RangeOf(argument);
  if (value < low || value > high)
    throw ArgumentError(std::string(argument.name) + " must lie between " + std::to_string(low) + " and " +
                        std::to_string(high) + ", not " + std::to_string(value));
  return value;
}

ArgumentCall CallOf(const std::vector<const ProcedureArgument*>& arguments,
                    const std::vector<ArgumentValue>& values) {
  ArgumentCall call;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const ProcedureArgument& argument = *arguments[i];
    const ArgumentValue& value = values.at(i);
    std::visit(Overloaded{
                   [&](const parameter::Member& member) {
                     const DescriptorKeyID key = DeclarationOf(member).key;
                     std::visit(Overloaded{
                                    [&](parameter::ColorMember) {
                                      call.action.Put(base::params::ColorItem(key, EditorColor(std::get<Rgb>(value))));
                                    },
                                    [&](parameter::NameMember) {
                                      call.palette = std::get<std::string>(value);
                                      base::params::PutPalette(call.action, call.palette);
                                    },
                                    [&](parameter::FlagMember) { call.action.Put({key, std::get<bool>(value)}); },
                                    [&](auto) { call.action.Put({key, InRange(argument, std::get<int32_t>(value))}); },
                                },
                                member);
                   },
                   [&](bool Steps::*member) { call.steps.*member = std::get<bool>(value); },
                   [&](int Steps::*member) { call.steps.*member = InRange(argument, std::get<int32_t>(value)); },
               },
               argument.target);
  }
  return call;
}

std::vector<ArgumentValue> ValuesOf(const std::vector<const ProcedureArgument*>& arguments, const Record& record,
                                    const Steps& steps) {
  std::vector<ArgumentValue> values;
  for (const ProcedureArgument* argument : arguments)
    values.push_back(std::visit(
        Overloaded{
            [&](const parameter::Member& member) {
              return std::visit(
                  Overloaded{
                      [&](parameter::ColorMember color) { return ArgumentValue(GimpColor(record.*color)); },
                      [&](parameter::NameMember name) {
                        const char* text = record.*name;
                        return ArgumentValue(record.randomColors ? std::string()
                                                                 : std::string(text, strnlen(text, kPaletteNameSize)));
                      },
                      [&](parameter::FlagMember flag) { return ArgumentValue(record.*flag != 0); },
                      [&](auto number) {
                        return ArgumentValue(static_cast<int32_t>(std::min<uint64_t>(record.*number,
                                                                                     parameter::kLargestSize)));
                      },
                  },
                  member);
            },
            [&](bool Steps::*member) { return ArgumentValue(steps.*member); },
            [&](int Steps::*member) { return ArgumentValue(int32_t{steps.*member}); },
        },
        argument->target));
  return values;
}

}  // namespace tessel::gimp
