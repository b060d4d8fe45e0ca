// Command-line options become the descriptor items an action would carry,
// laid over a loaded action's items.
#include <gtest/gtest.h>

#include "cli/ParamOptions.h"
#include "interface/FourCharCode.h"

namespace tessel::host {
namespace {

base::Descriptor Parse(std::vector<std::string> arguments, base::Descriptor start = {}) {
  CLI::App app;
  base::ParamValues options;
  cli::RegisterParamOptions(app, options);
  arguments.insert(arguments.begin(), "tessel");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  app.parse(static_cast<int>(argv.size()), argv.data());
  options.Overlay(start);
  return start;
}

TEST(ParamOptions, ColoursAreReadInEveryFormAsFullRangeComponents) {
  _t_ASRGBColor color{};
  ASSERT_TRUE(base::ParseColor("#ff8000", color));
  EXPECT_EQ(color.red, 65535);
  EXPECT_EQ(color.green, 0x8080);
  EXPECT_EQ(color.blue, 0);
  ASSERT_TRUE(base::ParseColor("10,20,255", color));
  EXPECT_EQ(color.red, 10 * 257);
  EXPECT_EQ(color.blue, 65535);
  ASSERT_TRUE(base::ParseColor("magenta", color));
  EXPECT_EQ(color.green, 0);
  EXPECT_EQ(color.blue, 65535);
  for (const char* bad : {"", "#ff80", "ff80001", "256,0,0", "1,2", "1,2,3x", "-1,0,0", "#gg0000", "Magenta"})
    EXPECT_FALSE(base::ParseColor(bad, color)) << bad;
}

TEST(ParamOptions, OptionsGivenBecomeTheirItemsAndNothingElse) {
  const base::Descriptor items =
      Parse({"--fill", "#000000", "--no-anti-aliased", "--tolerance", "12", "--join-size", "40", "--size-by", "area"});
  ASSERT_EQ(items.items.size(), 5u);
  const auto* fill = std::get_if<base::ObjectValue>(&items.Find(FourCharCode("BckC"))->value);
  ASSERT_NE(fill, nullptr);
  EXPECT_EQ(fill->classID, FourCharCode("RGBC"));
  EXPECT_EQ(std::get<int32_t>(fill->descriptor.Find(FourCharCode("Rd  "))->value), 0);
  EXPECT_EQ(std::get<bool>(items.Find(FourCharCode("PaAp"))->value), false);
  EXPECT_EQ(std::get<int32_t>(items.Find(FourCharCode("Tlrn"))->value), 12);
  EXPECT_EQ(std::get<int32_t>(items.Find(FourCharCode("JinS"))->value), 40);
  EXPECT_EQ(std::get<bool>(items.Find(FourCharCode("Ar  "))->value), true);
  EXPECT_TRUE(Parse({}).items.empty());
}

TEST(ParamOptions, OptionsOverrideTheActionsItemsAndKeepTheRest) {
  base::Descriptor action{{{FourCharCode("Tlrn"), int32_t(3)},
                     {FourCharCode("RanD"), true},
                     {FourCharCode("FlaG"), true}}};
  const base::Descriptor items = Parse({"--palette", "Comic.aco", "--no-flag"}, action);
  EXPECT_EQ(std::get<int32_t>(items.Find(FourCharCode("Tlrn"))->value), 3);
  EXPECT_EQ(std::get<bool>(items.Find(FourCharCode("RanD"))->value), false);  // a palette means no random colours
  EXPECT_EQ(std::get<bool>(items.Find(FourCharCode("FlaG"))->value), false);
  EXPECT_EQ(std::get<std::string>(items.Find(FourCharCode("PltF"))->value), "Comic.aco");
}

TEST(ParamOptions, OutOfRangeValuesAreRefused) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--tolerance", "256"}, {"--flag-size", "-1"}, {"--join-size", "2147483648"},
        {"--size-by", "volume"}, {"--flag-color", "nope"}})
    EXPECT_THROW(Parse(arguments), CLI::ParseError) << arguments[0];
}

}  // namespace
}  // namespace tessel::host
