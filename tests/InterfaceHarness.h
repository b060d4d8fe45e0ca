// The module's interface bridges driven in a child process on a private X
// display, as the filter core would call them and a user would answer them.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/TesselParams.h"
#include "tests/ChildProcess.h"
#include "tests/XibLayout.h"
#include "tests/XvfbDisplay.h"

namespace tessel::testing {

// Bridge calls made in the child; each writes its outcome as the report.
void ChildShowAbout(int reportFd);
void ChildShowAlert(int reportFd, const char* message);

// What one parameters dialog answered.
struct DialogOutcome {
  bool initialised = false;
  bool accepted = false;
  CTesselParams params;
};

// Runs initTesselDialog, setVersion("v1.12"), addPalettePath for each name and
// doTesselDialog(params) in the child.
void ChildRunDialog(int reportFd, const CTesselParams& params, const std::vector<std::string>& paletteNames);
DialogOutcome ParseDialogOutcome(const std::string& report);

// One display for a whole suite of window tests.
class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // The child's environment: this display, plus `extra`.
  static std::map<std::string, std::string> Environment(const std::map<std::string, std::string>& extra = {});
  // Saves the screen as <build>/screenshots/<name>.png.
  static void SaveScreenshot(const std::string& name);

  static std::unique_ptr<XvfbDisplay> sDisplay;
};

}  // namespace tessel::testing
