// The module's interface where no window can be shown: batch runs and
// machines without a display. Nothing may wait for a user there.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/InterfaceHarness.h"

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
  EXPECT_NE(result.errors.find("Copyright 2024 Quarn. All rights reserved.\n"), std::string::npos);

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

INSTANTIATE_TEST_SUITE_P(NoServer, HeadlessInterface, ::testing::Values("", ":65000"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(*info.param ? "UnreachableDisplay" : "DisplayUnset");
                         });

}  // namespace
}  // namespace tessel::testing
