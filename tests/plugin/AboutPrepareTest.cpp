// The about and prepare selectors through the real module, and the filter's alert.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/Host.h"
#include "plugin/Tessel.h"
#include "tests/support/TempFolders.h"

namespace tessel::host {
namespace {

class AboutPrepare : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sModule = std::make_unique<PluginModule>(DefaultModulePath()); }
  static void TearDownTestSuite() { sModule.reset(); }

  test::TempConfigHome config;
  Host host{*sModule};
  static std::unique_ptr<PluginModule> sModule;
};
std::unique_ptr<PluginModule> AboutPrepare::sModule;

TEST_F(AboutPrepare, AboutShowsNameAndVersionAndSucceeds) {
  ::testing::internal::CaptureStderr();
  const int16_t result = host.About();
  const std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 0);
  EXPECT_NE(shown.find("Tessel"), std::string::npos) << shown;
  EXPECT_NE(shown.find("v1.12"), std::string::npos) << shown;
  EXPECT_EQ(host.dataSlot(), 0);
}

TEST_F(AboutPrepare, PrepareAsksForNoBufferSpaceAndLeavesThePrefsAlone) {
  host.filterRecord().bufferSpace = 1 << 20;
  host.filterRecord().maxSpace = 1 << 24;
  test::WriteBytes(config.prefsFile(), "not touched");
  EXPECT_EQ(host.Select(filterSelectorPrepare), 0);
  EXPECT_EQ(host.filterRecord().bufferSpace, 0);
  EXPECT_EQ(host.filterRecord().maxSpace, 0);
  EXPECT_EQ(test::ReadBytes(config.prefsFile()), "not touched");
  EXPECT_EQ(host.Select(filterSelectorFinish), 0);
}

TEST(Alert, TitledWithTheFiltersName) {
  CTessel filter;
  ::testing::internal::CaptureStderr();
  filter.Alert("Line one!\nLine two.");
  const std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("Tessel"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Line one!\nLine two."), std::string::npos) << shown;
}

}  // namespace
}  // namespace tessel::host
