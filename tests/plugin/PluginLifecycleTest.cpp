// PluginMain's object lifecycle, through the real module as the editor loads it.
#include <gtest/gtest.h>

#include <memory>

#include "host/Host.h"
#include "tests/support/RunFixture.h"

namespace tessel::host {
namespace {

constexpr int16_t kBadParameters = -30100;

class PluginLifecycle : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sModule = std::make_unique<PluginModule>(DefaultModulePath()); }
  static void TearDownTestSuite() { sModule.reset(); }
  // The parameters selector as a replayed action runs it: no dialog to
  // answer; and a page, so that start has work to do.
  void SetUp() override {
    host.descriptors().SetReplay(base::Descriptor{}, plugInDialogDontDisplay);
    host.SetImage(*page, plugInModeRGBColor);
  }

  Host host{*sModule};
  std::unique_ptr<base::ImageBuffer> page = test::FilledPage(4, 3, 3, 255);
  static std::unique_ptr<PluginModule> sModule;
};
std::unique_ptr<PluginModule> PluginLifecycle::sModule;

TEST_F(PluginLifecycle, AboutWithEmptySlotEndsItsOwnObject) {
  EXPECT_EQ(host.About(), 0);
  EXPECT_EQ(host.dataSlot(), 0);
}

TEST_F(PluginLifecycle, OneObjectServesAWholeRun) {
  for (int16_t selector = filterSelectorParameters; selector <= filterSelectorFinish; ++selector)
    ASSERT_EQ(host.Select(selector), 0) << selector;
  const auto& calls = host.calls();
  ASSERT_EQ(calls.size(), 5u);
  for (int16_t i = 0; i < 5; ++i) EXPECT_EQ(calls[i].selector, i + 1);
  const intptr_t object = calls[0].slotAfter;
  EXPECT_NE(object, 0);
  for (size_t i = 1; i < 4; ++i) EXPECT_EQ(calls[i].slotAfter, object) << "selector " << calls[i].selector;
  EXPECT_EQ(calls[4].slotAfter, 0);
}

TEST_F(PluginLifecycle, EveryCallIsTimedOnTheCallingThread) {
  ASSERT_EQ(host.Run(true), 0);
  for (const SelectorCall& call : host.calls()) {
    EXPECT_GT(call.wallSeconds, 0) << "selector " << call.selector;
    EXPECT_GE(call.cpuSeconds, 0) << "selector " << call.selector;
    // One thread cannot work longer than the call lasted (clock granularity aside).
    EXPECT_LE(call.cpuSeconds, call.wallSeconds + 1e-3) << "selector " << call.selector;
  }
}

TEST_F(PluginLifecycle, UnknownSelectorsFailAndEndTheRun) {
  for (int16_t selector : {6, -1}) {
    ASSERT_EQ(host.Select(filterSelectorParameters), 0);
    ASSERT_NE(host.dataSlot(), 0);
    EXPECT_EQ(host.Select(selector), kBadParameters) << selector;
    EXPECT_EQ(host.dataSlot(), 0) << selector;
  }
  // The next run starts afresh.
  EXPECT_EQ(host.Run(true), 0);
  EXPECT_EQ(host.dataSlot(), 0);
}

TEST_F(PluginLifecycle, RecordWithoutBasicSuiteLeavesTheSlotAlone) {
  ASSERT_EQ(host.Select(filterSelectorParameters), 0);
  const intptr_t object = host.dataSlot();
  host.filterRecord().sSPBasic = nullptr;
  host.suites().ClearRequests();
  EXPECT_EQ(host.Select(filterSelectorPrepare), kBadParameters);
  EXPECT_EQ(host.dataSlot(), object);
  EXPECT_TRUE(host.suites().requests().empty());

  host.filterRecord().sSPBasic = host.suites().basic();
  EXPECT_EQ(host.Select(filterSelectorFinish), 0);
  EXPECT_EQ(host.dataSlot(), 0);
}

TEST_F(PluginLifecycle, GetPathIsAskedForOnlyAfterGetFileList) {
  static const PSGetFileListSuite5 fileList{};
  static const PSGetPathSuite1 getPath{};
  host.suites().Register(kPSGetFileListSuite, 5, &fileList);
  host.suites().Register(kPSGetPathSuite, 1, &getPath);

  ASSERT_EQ(host.Select(filterSelectorParameters), 0);
  using Request = std::pair<std::string, int32_t>;
  EXPECT_EQ(host.suites().requests(),
            (std::vector<Request>{{kPSGetFileListSuite, 5}, {kPSGetPathSuite, 1}}));

  host.suites().ClearRequests();
  host.suites().Refuse(kPSGetFileListSuite);
  ASSERT_EQ(host.Select(filterSelectorFinish), 0);
  EXPECT_EQ(host.suites().requests(), (std::vector<Request>{{kPSGetFileListSuite, 5}}));
}

TEST_F(PluginLifecycle, ExceptionIsAnsweredWithBadParametersAndClearsTheSlot) {
  ASSERT_EQ(host.Select(filterSelectorParameters), 0);
  ASSERT_NE(host.dataSlot(), 0);
  host.suites().ThrowOnAcquire(true);
  EXPECT_EQ(host.Select(filterSelectorPrepare), kBadParameters);
  EXPECT_EQ(host.dataSlot(), 0);

  host.suites().ThrowOnAcquire(false);
  EXPECT_EQ(host.Run(true), 0);
}

TEST_F(PluginLifecycle, ModuleExportsOnlyItsEntryPoints) {
  EXPECT_NE(sModule->Symbol("PluginMain"), nullptr);
  EXPECT_EQ(sModule->Symbol("CreateFilterPlugin"), nullptr);
  EXPECT_EQ(sModule->Symbol("sTesselFilter"), nullptr);
}

}  // namespace
}  // namespace tessel::host
