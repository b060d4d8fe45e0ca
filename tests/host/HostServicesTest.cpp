// The host's services wired into its records, answering for the host whose
// module is being called.
#include <gtest/gtest.h>

#include <memory>

#include "host/Host.h"
#include "host/HostResults.h"

namespace tessel::host {
namespace {

class HostServices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sModule = std::make_unique<PluginModule>(DefaultModulePath()); }
  static void TearDownTestSuite() { sModule.reset(); }
  static std::unique_ptr<PluginModule> sModule;
};
std::unique_ptr<PluginModule> HostServices::sModule;

TEST_F(HostServices, RecordCarriesEveryCallback) {
  Host host(*sModule);
  base::ImageBuffer image(base::ImageGeometry{3, 2, 4, base::PlaneLayout::Planar, 0});
  host.SetImage(image, plugInModeCMYKColor);
  const FilterRecord& record = host.filterRecord();
  EXPECT_EQ(record.imageMode, plugInModeCMYKColor);
  EXPECT_EQ(record.planes, 4);
  EXPECT_NE(record.advanceState, nullptr);
  EXPECT_NE(record.progressProc, nullptr);
  EXPECT_NE(record.abortProc, nullptr);
  EXPECT_NE(record.colorServices, nullptr);
}

TEST_F(HostServices, CallbacksAnswerForTheHostBeingCalled) {
  Host first(*sModule);
  base::ImageBuffer image(base::ImageGeometry{3, 2, 3, base::PlaneLayout::Interleaved, 0});
  first.SetImage(image, plugInModeRGBColor);
  Host second(*sModule);  // the newest host's services answer by default

  ASSERT_EQ(first.About(), noErr);
  FilterRecord& record = first.filterRecord();
  record.outRect = record.filterRect;
  record.outHiPlane = 2;
  EXPECT_EQ(record.advanceState(), noErr);
  EXPECT_EQ(record.outData, image.data());
  EXPECT_EQ(first.imageServices().advanceStateCalls(), 1);
  EXPECT_EQ(second.imageServices().advanceStateCalls(), 0);
}

}  // namespace
}  // namespace tessel::host
