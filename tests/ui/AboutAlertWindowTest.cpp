// The About box and the warning alert of the real module on a private display.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/ui/InterfaceHarness.h"

namespace tessel::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kNotFound[] = "The color to fill was not found in the image!\nCheck the color in the Tesseled Color swatch.";

class AboutAlertWindow : public WindowTest {
 protected:
  // True when the child returned from the bridge call.
  static bool Returned(ChildProcess& child) {
    const ChildResult result = child.Wait(60s);
    EXPECT_TRUE(result.finished) << "standard error:\n" << result.errors;
    // Texts go to the window, not to standard error.
    EXPECT_EQ(result.errors.find("Tessel v1.12"), std::string::npos) << result.errors;
    return result.finished && result.report == "done";
  }
};

TEST_F(AboutAlertWindow, AboutBoxEndsWithReturn) {
  ChildProcess child(ChildShowAbout, Environment());
  const auto window = sDisplay->WaitForWindow("^About Tessel$");
  ASSERT_TRUE(window) << "the About box did not appear";
  SaveScreenshot("about");
  sDisplay->Key("Return");
  EXPECT_TRUE(Returned(child));
}

TEST_F(AboutAlertWindow, AboutBoxOkButtonAndCloseControlEndIt) {
  const XibLayout layout(ModuleResourcePath("About"));
  {
    ChildProcess child(ChildShowAbout, Environment());
    const auto window = sDisplay->WaitForWindow("^About Tessel$");
    ASSERT_TRUE(window);
    const auto [x, y] = layout.Center(*window, "okButton");
    sDisplay->Click(x, y);
    EXPECT_TRUE(Returned(child));
  }
  {
    ChildProcess child(ChildShowAbout, Environment());
    const auto window = sDisplay->WaitForWindow("^About Tessel$");
    ASSERT_TRUE(window);
    sDisplay->Click(window->x + window->width - 12, window->y + 11);
    EXPECT_TRUE(Returned(child));
  }
}

TEST_F(AboutAlertWindow, AlertWaitsForItsOkButton) {
  ChildProcess child([](int fd) { ChildShowAlert(fd, kNotFound); }, Environment());
  // GNUstep titles its alert panels "Alert"; the headline is the filter's name.
  ASSERT_TRUE(sDisplay->WaitForWindow("^Alert$")) << "the alert did not appear";
  SaveScreenshot("not-found-alert");
  // Still waiting for the user.
  EXPECT_FALSE(child.Wait(500ms).finished);
  sDisplay->Key("Return");
  EXPECT_TRUE(Returned(child));
}

}  // namespace
}  // namespace tessel::testing
