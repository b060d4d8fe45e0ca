// The parameters' one declaration reaches every place that lists them: the
// command line with its help, the README, and the host's reading of a
// recorded action, which must agree with the filter's own.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <cstring>
#include <regex>
#include <string>

#include "base/ParamItems.h"
#include "cli/CommandLine.h"
#include "cli/ParamOptions.h"
#include "tests/persistence/StoreFixture.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {
namespace {

using base::Descriptor;
namespace parameter = tessel::parameter;

CTesselParams RecordFromOptions(std::vector<std::string> arguments) {
  CLI::App app;
  base::ParamValues options;
  cli::RegisterParamOptions(app, options);
  arguments.insert(arguments.begin(), "tessel");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  app.parse(static_cast<int>(argv.size()), argv.data());
  base::Descriptor items;
  options.Overlay(items);
  CTesselParams record;
  static_cast<_STesselParams&>(record) = base::params::RecordOf(items);
  return record;
}

// The default as the help shows it, typed back as the option.
std::vector<std::string> DefaultAsTyped(const parameter::Declaration& declared) {
  const std::string help = cli::ParamOptionHelp(declared);
  std::smatch shown;
  if (!std::regex_search(help, shown, std::regex(R"(\(default ([^)]+)\)$)"))) return {};
  const std::string name = std::string("--") + declared.option.name, value = shown[1];
  if (std::holds_alternative<parameter::FlagMember>(declared.member) && !declared.option.onWord)
    return {value == "on" ? name : "--no-" + std::string(declared.option.name)};
  return {name, value};
}

TEST(ParamDeclarations, EachDefaultTheHelpShowsGivesTheRecordsDefault) {
  for (const parameter::Declaration& declared : parameter::kDeclarations) {
    SCOPED_TRACE(declared.option.name);
    const std::vector<std::string> typed = DefaultAsTyped(declared);
    EXPECT_EQ(typed.empty(), !declared.option.showsDefault);
    if (typed.empty()) continue;
    // Typing the shown default sends an item; read back, it is the default.
    ExpectStoredFieldsEqual(RecordFromOptions(typed), CTesselParams(), true);
  }
}

TEST(ParamDeclarations, EveryOptionChangesItsOwnMemberOnly) {
  // In the declarations' order.
  const std::vector<std::vector<std::string>> given = {
      {"--fill", "black"}, {"--flag-color", "0,255,0"}, {"--palette", "Comic.aco"}, {"--tolerance", "255"},
      {"--random"},        {"--size-by", "area"},       {"--flag"},                 {"--join"},
      {"--flag-size", "0"}, {"--join-size", "2147483647"}, {"--no-anti-aliased"}};
  ASSERT_EQ(given.size(), parameter::kDeclarationCount);
  CTesselParams expected;
  expected.fillColor = {0, 0, 0};
  expected.flagColor = {0, 65535, 0};
  std::strcpy(expected.paletteName, "Comic.aco");
  expected.tolerance = 255;
  expected.randomColors = 1;
  expected.measureByArea = 1;
  expected.flagAreas = 1;
  expected.joinAreas = 1;
  expected.flagSize = 0;
  expected.joinSize = 2147483647;
  expected.paintAntiAliased = 0;

  std::vector<std::string> all;
  for (size_t i = 0; i < given.size(); ++i) {
    const parameter::Declaration& declared = parameter::kDeclarations[i];
    const bool negated = given[i][0].rfind("--no-", 0) == 0;
    ASSERT_EQ(given[i][0], std::string(negated ? "--no-" : "--") + declared.option.name);
    CTesselParams want;
    std::visit(parameter::Overloaded{
                   [&](parameter::NameMember m) { std::memcpy(want.*m, expected.*m, kPaletteNameSize); },
                   [&](auto m) { want.*m = expected.*m; },
               },
               declared.member);
    ExpectStoredFieldsEqual(RecordFromOptions(given[i]), want, true);
    // A swatch file means no random colours: --random is tried alone.
    if (given[i][0] != "--random") all.insert(all.end(), given[i].begin(), given[i].end());
  }
  expected.randomColors = 0;
  ExpectStoredFieldsEqual(RecordFromOptions(all), expected, true);
}

// The host reads a recorded action (for the flats) exactly as the filter does.
class RecordedAction : public StoreFixture {};

TEST_F(RecordedAction, HostReadsItemsAsTheFilterDoes) {
  const auto color = [](const char (&key)[5], base::Descriptor components) {
    return base::DescriptorItem{FourCharCode(key), base::ObjectValue{parameter::kColorClass, std::move(components)}};
  };
  const auto integer = [](const char (&key)[5], int32_t value) {
    return base::DescriptorItem{FourCharCode(key), value};
  };
  const std::vector<base::Descriptor> actions = {
      base::Descriptor{},
      base::Descriptor{{integer("Tlrn", 70000), integer("FlgS", -1), integer("JinS", -2)}},
      base::Descriptor{{color("BckC", base::Descriptor{{integer("Grn ", 300)}}),
                  color("Clr ", base::Descriptor{{integer("Bl  ", 3), integer("Rd  ", 70001), {0, int32_t(0)}}}),
                  {FourCharCode("PltF"), std::string(300, 'p')},
                  {FourCharCode("RanD"), true},
                  {FourCharCode("Ar  "), true},
                  {FourCharCode("PaAp"), false}}},
  };
  for (const base::Descriptor& action : actions) {
    SCOPED_TRACE(action.items.size());
    CTesselParams byFilter, byHost;
    descriptors.SetReplay(action, plugInDialogDontDisplay);
    filter.ReadScript(byFilter);
    static_cast<_STesselParams&>(byHost) = base::params::RecordOf(action);
    ExpectStoredFieldsEqual(byHost, byFilter, true);
  }
}

// The README's lists are the ones the command prints.
TEST(ParamDeclarations, ReadmeListsTheDeclaredOptionsAndTheExitCodes) {
  const std::string readme = ReadBytes(boost::filesystem::path(TESSEL_SOURCE_DIR) / "README.md");
  const std::string begin = "<!-- filter options:", end = "<!-- end of filter options -->";
  const size_t from = readme.find('\n', readme.find(begin)) + 1, to = readme.find(end);
  ASSERT_NE(readme.find(begin), std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(readme.substr(from, to - from), cli::ParamOptionsList())
      << "rewrite the list with build/cli/tessel_docs readme-options";
  for (const parameter::Declaration& declared : parameter::kDeclarations)
    EXPECT_NE(cli::ParamOptionsList().find("- `--" + std::string(declared.option.name)), std::string::npos);

  const cli::HelpFooter& footer = cli::Footer();
  for (const cli::HelpEntry& code : footer.exitCodes)
    EXPECT_NE(readme.find("| " + code.term + " | " + code.meaning + " |"), std::string::npos) << code.term;
  EXPECT_NE(readme.find(footer.exitCodeRule), std::string::npos);
}

}  // namespace
}  // namespace tessel::test
