// The parameters dialog of the real module on a private display, answered
// with the mouse and keyboard as a user would.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/ui/InterfaceHarness.h"

namespace tessel::testing {
namespace {

using namespace std::chrono_literals;
using Rgb = DialogDriver::Rgb;

class DialogWindow : public WindowTest {
 protected:
  // Opens the dialog on `params` in a child and waits for its window.
  void Open(const CTesselParams& params, const std::vector<std::string>& paletteNames = {},
            const std::map<std::string, std::string>& environment = {}) {
    mChild = std::make_unique<ChildProcess>(
        [&params, &paletteNames](int fd) { ChildRunDialog(fd, params, paletteNames); }, Environment(environment));
    mDialog = std::make_unique<DialogDriver>(*sDisplay);
    if (!mDialog->window()) {
      const ChildResult result = mChild->Wait(std::chrono::milliseconds(0));
      std::string answer = "nothing";
      if (!result.report.empty()) {
        const DialogOutcome outcome = ParseDialogOutcome(result.report);
        answer = outcome.accepted ? "OK" : "Cancel";
      }
      FAIL() << "the dialog did not appear; the child " << (result.finished ? "ended" : "still ran")
             << " and reported " << answer << ", standard error:\n" << result.errors;
    }
  }

  // Waits for the child to report how the dialog ended.
  DialogOutcome Outcome() {
    const ChildResult result = mChild->Wait(60s);
    mChild.reset();
    EXPECT_TRUE(result.finished) << "the dialog did not end; standard error:\n" << result.errors;
    DialogOutcome outcome = ParseDialogOutcome(result.report);
    EXPECT_TRUE(outcome.initialised);
    return outcome;
  }

  static CTesselParams Defaults() { return CTesselParams(); }

  // Shorthands for the dialog's controls.
  void Click(const std::string& id, int row = 0, int rows = 1) const { mDialog->Click(id, row, rows); }
  void Enter(const std::string& id, const std::string& text) const { mDialog->Enter(id, text); }
  void ExpectWell(const std::string& id, const Rgb& expected) const {
    EXPECT_EQ(mDialog->WellColor(id, expected), expected) << id;
  }

  std::unique_ptr<DialogDriver> mDialog;
  std::unique_ptr<ChildProcess> mChild;
};

TEST_F(DialogWindow, ColorsShowAsHighBytesAndComeBackWithZeroLowBytes) {
  CTesselParams params = Defaults();
  params.paintAntiAliased = 0;
  params.flagAreas = 1;
  params.fillColor = {65535, 65535, 65535};
  params.flagColor = {0x80FF, 0x00FF, 0x20FF};
  ASSERT_NO_FATAL_FAILURE(Open(params, {"Pastels.aco", "Comics.aco"}));
  SaveScreenshot("dialog");
  ExpectWell("fillWell", Rgb{255, 255, 255});
  ExpectWell("flagWell", Rgb{0x80, 0x00, 0x20});
  sDisplay->Key("Return");

  const DialogOutcome outcome = Outcome();
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.params.fillColor.red, 65280);
  EXPECT_EQ(outcome.params.fillColor.green, 65280);
  EXPECT_EQ(outcome.params.fillColor.blue, 65280);
  EXPECT_EQ(outcome.params.flagColor.red, 0x8000);
  EXPECT_EQ(outcome.params.flagColor.green, 0);
  EXPECT_EQ(outcome.params.flagColor.blue, 0x2000);
  // What the dialog does not show passes through untouched.
  EXPECT_EQ(outcome.params.signature, kTesselSignature);
  EXPECT_EQ(outcome.params.version, kTesselParamsVersion);
}

TEST_F(DialogWindow, EnabledStatesFollowBothCheckBoxesFromTheStart) {
  CTesselParams params = Defaults();
  params.paintAntiAliased = 1;
  params.flagAreas = 0;
  params.tolerance = 5;
  params.fillColor = {65535, 0, 0};
  params.flagColor = {0, 0, 65535};
  ASSERT_NO_FATAL_FAILURE(Open(params));
  // Anti-aliased painting on and flagging off: both wells look empty and the
  // tolerance field takes no typing.
  ExpectWell("fillWell", Rgb{255, 255, 255});
  ExpectWell("flagWell", Rgb{255, 255, 255});
  Enter("toleranceEdit", "77");

  Click("aaCheck");
  ExpectWell("fillWell", Rgb{255, 0, 0});
  Enter("toleranceEdit", "42");
  Click("flagCheck");
  ExpectWell("flagWell", Rgb{0, 0, 255});
  sDisplay->Key("Return");

  const DialogOutcome outcome = Outcome();
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.params.paintAntiAliased, 0);
  EXPECT_EQ(outcome.params.flagAreas, 1);
  EXPECT_EQ(outcome.params.tolerance, 42);
  // A disabled well keeps its colour.
  EXPECT_EQ(outcome.params.fillColor.red, 0xFF00);
}

TEST_F(DialogWindow, TurningTheBoxesBackDisablesAgain) {
  CTesselParams params = Defaults();
  params.paintAntiAliased = 0;
  params.flagAreas = 1;
  params.fillColor = {0, 65535, 0};
  params.flagColor = {65535, 0, 65535};
  ASSERT_NO_FATAL_FAILURE(Open(params));
  ExpectWell("fillWell", Rgb{0, 255, 0});
  ExpectWell("flagWell", Rgb{255, 0, 255});
  Click("aaCheck");
  Click("flagCheck");
  ExpectWell("fillWell", Rgb{255, 255, 255});
  ExpectWell("flagWell", Rgb{255, 255, 255});
  sDisplay->Key("Return");
  const DialogOutcome outcome = Outcome();
  EXPECT_EQ(outcome.params.paintAntiAliased, 1);
  EXPECT_EQ(outcome.params.flagAreas, 0);
}

TEST_F(DialogWindow, CancelStillReadsTheControlsButAnswersFalse) {
  CTesselParams params = Defaults();
  ASSERT_NO_FATAL_FAILURE(Open(params));
  Enter("joinEdit", "55");
  Click("joinCheck");
  sDisplay->Key("Escape");
  const DialogOutcome outcome = Outcome();
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.params.joinSize, 55u);
  EXPECT_EQ(outcome.params.joinAreas, 1);
}

TEST_F(DialogWindow, CancelButtonAndCloseControlBothCancel) {
  ASSERT_NO_FATAL_FAILURE(Open(Defaults()));
  Click("cancelButton");
  EXPECT_FALSE(Outcome().accepted);

  ASSERT_NO_FATAL_FAILURE(Open(Defaults()));
  mDialog->Close();
  EXPECT_FALSE(Outcome().accepted);

  ASSERT_NO_FATAL_FAILURE(Open(Defaults()));
  Click("okButton");
  EXPECT_TRUE(Outcome().accepted);
}

TEST_F(DialogWindow, NegativeSizesBecomeZeroAndTheToleranceKeepsItsLowSixteenBits) {
  CTesselParams params = Defaults();
  params.paintAntiAliased = 0;
  ASSERT_NO_FATAL_FAILURE(Open(params));
  Enter("joinEdit", "-5");
  Enter("toleranceEdit", "65537");
  // Still in the flag field when Return is pressed.
  Enter("flagEdit", "123456");
  sDisplay->Key("Return");
  const DialogOutcome outcome = Outcome();
  EXPECT_TRUE(outcome.accepted);
  // Not 2^64 - 5, which would join every region.
  EXPECT_EQ(outcome.params.joinSize, 0u);
  EXPECT_EQ(outcome.params.tolerance, 1);
  EXPECT_EQ(outcome.params.flagSize, 123456u);
}

TEST_F(DialogWindow, SizeMeasureFollowsTheRadioGroup) {
  CTesselParams params = Defaults();
  params.measureByArea = 1;
  ASSERT_NO_FATAL_FAILURE(Open(params));
  sDisplay->Key("Return");
  EXPECT_EQ(Outcome().params.measureByArea, 1);

  ASSERT_NO_FATAL_FAILURE(Open(params));
  Click("sizeMatrix", 0, 2);
  sDisplay->Key("Return");
  EXPECT_EQ(Outcome().params.measureByArea, 0);

  params.measureByArea = 0;
  ASSERT_NO_FATAL_FAILURE(Open(params));
  Click("sizeMatrix", 1, 2);
  sDisplay->Key("Return");
  EXPECT_EQ(Outcome().params.measureByArea, 1);
}

TEST_F(DialogWindow, RememberedPaletteIsSelectedWhenListed) {
  const std::vector<std::string> names{"Pastels.aco", "Comics.aco"};
  CTesselParams params = Defaults();
  params.randomColors = 0;
  std::strcpy(params.paletteName, "Comics.aco");
  ASSERT_NO_FATAL_FAILURE(Open(params, names));
  sDisplay->Key("Return");
  DialogOutcome outcome = Outcome();
  EXPECT_EQ(outcome.params.randomColors, 0);
  EXPECT_STREQ(outcome.params.paletteName, "Comics.aco");

  // Gone from the folder, or random colours wanted: item 0, name kept.
  for (const char* name : {"Gone.aco", "Comics.aco"}) {
    params.randomColors = std::strcmp(name, "Comics.aco") == 0;
    std::strcpy(params.paletteName, name);
    ASSERT_NO_FATAL_FAILURE(Open(params, names));
    sDisplay->Key("Return");
    outcome = Outcome();
    EXPECT_EQ(outcome.params.randomColors, 1) << name;
    EXPECT_STREQ(outcome.params.paletteName, name);
  }
}

TEST_F(DialogWindow, ChosenPaletteItemIsReturnedCutTo255Bytes) {
  const std::string longName = std::string(300, 'x') + ".aco";
  const std::vector<std::string> names{"Pastels.aco", longName};
  ASSERT_NO_FATAL_FAILURE(Open(Defaults(), names));
  ASSERT_TRUE(mDialog->ChoosePalette(1, names.size() + 1));
  sDisplay->Key("Return");
  DialogOutcome outcome = Outcome();
  EXPECT_EQ(outcome.params.randomColors, 0);
  EXPECT_STREQ(outcome.params.paletteName, "Pastels.aco");

  ASSERT_NO_FATAL_FAILURE(Open(Defaults(), names));
  ASSERT_TRUE(mDialog->ChoosePalette(2, names.size() + 1));
  sDisplay->Key("Return");
  outcome = Outcome();
  EXPECT_EQ(outcome.params.randomColors, 0);
  EXPECT_EQ(std::string(outcome.params.paletteName), longName.substr(0, 255));
}

TEST_F(DialogWindow, LogoOpensTheMakersPageAndTheDialogStays) {
  // A stand-in for the desktop's opener records what it was asked to open.
  namespace fs = boost::filesystem;
  const fs::path bin = fs::temp_directory_path() / fs::unique_path("tessel-opener-%%%%-%%%%");
  fs::create_directories(bin);
  const fs::path opened = bin / "opened";
  {
    std::ofstream script((bin / "xdg-open").string());
    script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << opened.string() << "'\n";
  }
  fs::permissions(bin / "xdg-open", fs::owner_all);
  const std::string path = bin.string() + ":" + (getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");

  ASSERT_NO_FATAL_FAILURE(Open(Defaults(), {}, {{"PATH", path}}));
  Click("logoButton");
  std::string page;
  for (int i = 0; i < 50 && page.empty(); ++i) {
    std::this_thread::sleep_for(100ms);
    std::ifstream(opened.string()) >> page;
  }
  EXPECT_EQ(page, "https://www.quarn.com/");
  sDisplay->Key("Return");
  EXPECT_TRUE(Outcome().accepted);
  fs::remove_all(bin);
}

}  // namespace
}  // namespace tessel::testing
