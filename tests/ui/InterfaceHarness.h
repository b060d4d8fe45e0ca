// The module's interface bridges driven in a child process on a private X
// display, as the filter core would call them and a user would answer them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "engine/TesselParams.h"
#include "tests/support/ChildProcess.h"
#include "tests/ui/XibLayout.h"
#include "tests/ui/XvfbDisplay.h"

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

// A user's hands on the parameters dialog shown on `display`.
class DialogDriver {
 public:
  using Rgb = std::array<uint8_t, 3>;
  // Waits for the dialog window; window() is empty when it did not appear.
  explicit DialogDriver(const XvfbDisplay& display);
  const std::optional<WindowGeometry>& window() const { return mWindow; }

  // The screen point of control `id`; `row` of `rows` for a matrix cell.
  std::pair<int, int> At(const std::string& id, int row = 0, int rows = 1) const;
  void Click(const std::string& id, int row = 0, int rows = 1) const;
  // Clicks into a number field, erases it and types `text`.
  void Enter(const std::string& id, const std::string& text) const;
  // The title bar's close control.
  void Close() const;
  // The colour at the middle of a well once it shows `expected`, or what it
  // shows after a few seconds (windows redraw a little after each event).
  Rgb WellColor(const std::string& id, const Rgb& expected) const;
  // Opens the palette menu of `items` items and releases over item `index`;
  // false when the menu did not open.
  bool ChoosePalette(size_t index, size_t items) const;

 private:
  const XvfbDisplay& mDisplay;
  XibLayout mLayout{ModuleResourcePath("Tessel")};
  std::optional<WindowGeometry> mWindow;
};

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
