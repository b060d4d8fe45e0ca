// How a session drives the editor's selectors and carries state between runs.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support/RunFixture.h"

namespace tessel::test {
namespace {

using host::RunReport;
using host::RunRequest;

class Session : public RunFixture {
 protected:
  host::RunRequest Request() {
    host::RunRequest request;
    request.image = page.get();
    request.presetsFolder = presets.path().string();
    return request;
  }

  std::unique_ptr<base::ImageBuffer> page = FilledPage(8, 6, 3, 255);
};

TEST_F(Session, ParametersAreAskedForOnlyWhenTheRunHasNone) {
  const auto before = Copy(*page);
  const host::RunReport first = RunCaptured(Request());
  EXPECT_TRUE(Ran(first, filterSelectorParameters));
  EXPECT_NE(first.result, 0) << "no dialog here, so no parameters";
  EXPECT_TRUE(page->SamePixels(*before));

  SetParameterBlock(session.host(), CTesselParams());
  const host::RunReport second = RunCaptured(Request());
  EXPECT_FALSE(Ran(second, filterSelectorParameters));
  EXPECT_EQ(second.result, 0) << shown;
  EXPECT_EQ(second.calls.back().selector, filterSelectorFinish);
  EXPECT_FALSE(page->SamePixels(*before));

  host::RunRequest replay = Request();
  replay.replay = DescriptorOf(CTesselParams());
  replay.showDialog = true;
  EXPECT_TRUE(Ran(RunCaptured(replay), filterSelectorParameters));
}

TEST_F(Session, NextRunTakesTheParametersTheLastRunLeft) {
  CTesselParams action;
  action.randomColors = 1;
  action.tolerance = 9;
  host::RunRequest replay = Request();
  replay.replay = DescriptorOf(action);
  const host::RunReport first = RunCaptured(replay);
  ASSERT_EQ(first.result, 0) << shown;
  ASSERT_TRUE(first.recorded.has_value());
  EXPECT_FALSE(session.host().descriptors().Held().has_value()) << "filed away with the report";

  page = FilledPage(8, 6, 3, 255);
  const host::RunReport second = RunCaptured(Request());
  ASSERT_EQ(second.result, 0) << shown;
  EXPECT_FALSE(Ran(second, filterSelectorParameters));
  ASSERT_TRUE(second.recorded.has_value());
  EXPECT_EQ(base::DescriptorToJson(*second.recorded), base::DescriptorToJson(*first.recorded));
}

TEST_F(Session, UnusableRequestsAreRefusedBeforeTheFilterIsCalled) {
  host::RunRequest request = Request();
  request.image = nullptr;
  EXPECT_THROW(session.Run(request), host::SessionError);
  request = Request();
  request.presetsFolder = "/presets/\xFF";
  EXPECT_THROW(session.Run(request), host::SessionError);
  request = Request();
  request.imageMode = plugInModeCMYKColor;  // needs four planes
  EXPECT_THROW(session.Run(request), base::ImageError);
  EXPECT_TRUE(session.host().calls().empty());
}

}  // namespace
}  // namespace tessel::test
