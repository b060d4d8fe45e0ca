// The module's interface where no window can be shown: batch runs and
// machines without a display. Nothing may wait for a user there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "host/Host.h"
#include "tests/ui/InterfaceHarness.h"

namespace tessel::testing {
namespace {

using namespace std::chrono_literals;

class HeadlessInterface : public ::testing::TestWithParam<const char*> {
 protected:
  // The child's display: unset, or one where no server listens.
  std::map<std::string, std::string> Environment() const { return {{"DISPLAY", GetParam()}}; }

  ChildResult Run(const std::function<void(int)>& body) const {
    ChildProcess child(body, Environment());
    ChildResult result = child.Wait(20s);
    EXPECT_TRUE(result.finished) << "the interface waited for a user that is not there";
    EXPECT_EQ(result.exitCode, 0);
    return result;
  }
};

TEST_P(HeadlessInterface, AboutAndAlertGoToStandardError) {
  ChildResult result = Run(ChildShowAbout);
  EXPECT_EQ(result.report, "done");
  EXPECT_NE(result.errors.find("Tessel v1.12\nFills every region"), std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find("Copyright (c) the Tessel developers. All rights reserved.\n"), std::string::npos);

  result = Run([](int fd) { ChildShowAlert(fd, "The color to fill was not found in the image!\nCheck it."); });
  EXPECT_EQ(result.report, "done");
  EXPECT_NE(result.errors.find("Tessel: The color to fill was not found in the image!\nCheck it.\n"),
            std::string::npos)
      << result.errors;
}

TEST_P(HeadlessInterface, DialogSaysItNeedsADisplayAndLeavesTheRecordAlone) {
  CTesselParams params;
  params.tolerance = 9;
  const ChildResult result = Run([&params](int fd) { ChildRunDialog(fd, params, {"Pastels.aco"}); });
  const DialogOutcome outcome = ParseDialogOutcome(result.report);
  EXPECT_FALSE(outcome.initialised);
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.params.tolerance, 9);
  EXPECT_EQ(outcome.params.paintAntiAliased, 1);
  EXPECT_NE(result.errors.find("Tessel: the parameters dialog needs a display"), std::string::npos) << result.errors;
}

TEST_P(HeadlessInterface, ParametersFailDistinctlyUnlessAnActionReplaysWithoutDialog) {
  for (const bool replay : {false, true}) {
    const ChildResult result = Run([replay](int fd) {
      host::PluginModule module(host::DefaultModulePath());
      host::Host host(module);
      if (replay) host.descriptors().SetReplay(base::Descriptor{}, plugInDialogDontDisplay);
      const int16_t code = host.Select(filterSelectorParameters);
      const bool saved = host.filterRecord().parameters != nullptr;
      WriteReport(fd, &code, sizeof code);
      WriteReport(fd, &saved, sizeof saved);
    });
    ASSERT_EQ(result.report.size(), sizeof(int16_t) + sizeof(bool)) << "replay " << replay;
    int16_t code = 0;
    std::memcpy(&code, result.report.data(), sizeof code);
    const bool saved = result.report.back() != 0;
    // Not the user's cancel: the host can tell the missing display apart.
    EXPECT_EQ(code, replay ? noErr : filterBadParameters) << "replay " << replay;
    EXPECT_EQ(saved, replay);
    EXPECT_EQ(result.errors.find("needs a display") != std::string::npos, !replay) << result.errors;
  }
}

INSTANTIATE_TEST_SUITE_P(NoServer, HeadlessInterface, ::testing::Values("", ":65000"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(*info.param ? "UnreachableDisplay" : "DisplayUnset");
                         });

}  // namespace
}  // namespace tessel::testing
