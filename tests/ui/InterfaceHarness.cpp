#include "tests/ui/InterfaceHarness.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <chrono>
#include <cstring>
#include <thread>

#include "host/PluginModule.h"

namespace tessel::testing {

namespace {

template <typename Function>
Function Bridge(const host::PluginModule& module, const char* name) {
  return reinterpret_cast<Function>(module.Symbol(name));
}

struct DialogReport {
  bool initialised;
  bool accepted;
  _STesselParams params;
};

}  // namespace

void ChildShowAbout(int reportFd) {
  host::PluginModule module(host::DefaultModulePath());
  Bridge<void (*)(const char*, const char*, const char*, const char*)>(module, "doAbout")(
      "Tessel", "Fills every region of one color with a color of its own.",
      "Copyright (c) the Tessel developers. All rights reserved.\n", "v1.12");
  WriteReport(reportFd, "done", 4);
}

void ChildShowAlert(int reportFd, const char* message) {
  host::PluginModule module(host::DefaultModulePath());
  Bridge<void (*)(const char*, const char*)>(module, "doAlert")(message, "Tessel");
  WriteReport(reportFd, "done", 4);
}

void ChildRunDialog(int reportFd, const CTesselParams& params, const std::vector<std::string>& paletteNames) {
  host::PluginModule module(host::DefaultModulePath());
  DialogReport report{};
  report.initialised = Bridge<bool (*)()>(module, "initTesselDialog")();
  if (report.initialised) {
    Bridge<void (*)(const char*)>(module, "setVersion")("v1.12");
    for (const std::string& name : paletteNames) Bridge<void (*)(const char*)>(module, "addPalettePath")(name.c_str());
  }
  CTesselParams edited = params;
  report.accepted = Bridge<bool (*)(CTesselParams*)>(module, "doTesselDialog")(&edited);
  report.params = edited;
  WriteReport(reportFd, &report, sizeof report);
}

DialogOutcome ParseDialogOutcome(const std::string& report) {
  DialogOutcome outcome;
  DialogReport raw;
  if (report.size() != sizeof raw) {
    ADD_FAILURE() << "the dialog's child reported " << report.size() << " bytes";
    return outcome;
  }
  std::memcpy(&raw, report.data(), sizeof raw);
  outcome.initialised = raw.initialised;
  outcome.accepted = raw.accepted;
  static_cast<_STesselParams&>(outcome.params) = raw.params;
  return outcome;
}

DialogDriver::DialogDriver(const XvfbDisplay& display)
    : mDisplay(display), mWindow(display.WaitForWindow("^Tessel$")) {}

std::pair<int, int> DialogDriver::At(const std::string& id, int row, int rows) const {
  return mLayout.Center(mWindow.value(), id, row, rows);
}

void DialogDriver::Click(const std::string& id, int row, int rows) const {
  const auto [x, y] = At(id, row, rows);
  mDisplay.Click(x, y);
}

void DialogDriver::Enter(const std::string& id, const std::string& text) const {
  Click(id);
  mDisplay.Key("End");
  mDisplay.Key("--repeat 12 BackSpace");
  mDisplay.Type(text);
}

void DialogDriver::Close() const {
  // GNUstep draws the close control at the right end of the title bar.
  mDisplay.Click(mWindow->x + mWindow->width - 12, mWindow->y + 11);
}

DialogDriver::Rgb DialogDriver::WellColor(const std::string& id, const Rgb& expected) const {
  const auto [x, y] = At(id);
  Rgb seen{};
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (auto pixel = mDisplay.Pixel(x, y)) seen = *pixel;
    if (seen == expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return seen;
}

bool DialogDriver::ChoosePalette(size_t index, size_t items) const {
  const auto [x, y] = At("palettePopup");
  mDisplay.Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1");
  // The menu opens as a window of its own with the selected item over the button.
  std::optional<WindowGeometry> menu;
  for (int attempt = 0; attempt < 30 && !menu; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (const WindowGeometry& candidate : mDisplay.VisibleWindows())
      if (candidate.x <= x && x < candidate.x + candidate.width && candidate.y <= y &&
          y < candidate.y + candidate.height && candidate.height < mWindow->height / 2)
        menu = candidate;
  }
  if (menu) {
    const int itemHeight = menu->height / static_cast<int>(items);
    const int itemY = menu->y + itemHeight * static_cast<int>(index) + itemHeight / 2;
    mDisplay.Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(itemY));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  mDisplay.Xdotool("mouseup 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return menu.has_value();
}

std::unique_ptr<XvfbDisplay> WindowTest::sDisplay;

namespace {

// Held while a suite shows windows: test runners start test processes in
// parallel, and window tests running side by side on a loaded machine were
// seen to miss their windows' focus.
int sWindowLock = -1;

}  // namespace

void WindowTest::SetUpTestSuite() {
  sWindowLock = open(TESSEL_BINARY_DIR "/window-tests.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0644);
  if (sWindowLock >= 0) flock(sWindowLock, LOCK_EX);
  if (XvfbDisplay::ToolsInstalled()) sDisplay = std::make_unique<XvfbDisplay>();
}

void WindowTest::TearDownTestSuite() {
  sDisplay.reset();
  if (sWindowLock >= 0) close(sWindowLock);
  sWindowLock = -1;
}

void WindowTest::SetUp() {
  if (!XvfbDisplay::ToolsInstalled()) GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
  ASSERT_FALSE(sDisplay->name().empty()) << "Xvfb did not start";
}

std::map<std::string, std::string> WindowTest::Environment(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> environment = extra;
  environment["DISPLAY"] = sDisplay->name();
  return environment;
}

void WindowTest::SaveScreenshot(const std::string& name) {
  const boost::filesystem::path folder = boost::filesystem::path(TESSEL_BINARY_DIR) / "screenshots";
  boost::filesystem::create_directories(folder);
  EXPECT_TRUE(sDisplay->Screenshot((folder / (name + ".png")).string())) << name;
}

}  // namespace tessel::testing
