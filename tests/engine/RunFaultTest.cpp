// Whole runs of the real module on a host that fails it: colour services
// missing, handle memory exhausted. The user's page is filled correctly or
// left exactly as it was, never damaged.
#include <gtest/gtest.h>

#include "engine/Messages.h"
#include "tests/persistence/StoreFixture.h"
#include "tests/support/RunFixture.h"

namespace tessel::test {
namespace {

using host::RunReport;
using host::RunRequest;

class RunFault : public RunFixture {
 protected:
  // A white 40 x 30 page cut by a black cross into four boxes.
  RunFault() : page(FilledPage(40, 30, 3, 255)) { DrawCross(*page, 20, 15); }

  host::RunRequest Request(std::optional<base::Descriptor> replay) {
    host::RunRequest request;
    request.image = page.get();
    request.replay = std::move(replay);
    request.presetsFolder = presets.path().string();
    return request;
  }
  // Parameters that fill white within a tolerance (not the anti-aliased test).
  static CTesselParams ToleranceParams() {
    CTesselParams params;
    params.paintAntiAliased = 0;
    params.randomColors = 1;
    return params;
  }

  std::unique_ptr<base::ImageBuffer> page;
};

TEST_F(RunFault, HostThatCannotConvertTheFillColourLeavesTheLineArtAlone) {
  const auto before = Copy(*page);
  session.host().colorServices().SetAvailable(false);
  const host::RunReport report = RunCaptured(Request(DescriptorOf(ToleranceParams())));
  EXPECT_EQ(report.result, filterBadParameters);
  EXPECT_TRUE(page->SamePixels(*before));
  EXPECT_EQ(TimesShown(kFillColorNotConvertedMessage), 1u);

  // The anti-aliased test needs no conversion: that run goes ahead.
  CTesselParams antiAliased = ToleranceParams();
  antiAliased.paintAntiAliased = 1;
  EXPECT_EQ(RunCaptured(Request(DescriptorOf(antiAliased))).result, noErr);
  EXPECT_NE(page->Pixel(3, 3), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(page->Pixel(20, 3), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(RunFault, HandleMemoryRunningOutStillFillsThePageAndKeepsTheBlock) {
  const CTesselParams params = ToleranceParams();
  SetParameterBlock(session.host(), params);
  session.host().handles().SetAllocationLimit(0);
  const host::RunReport report = RunCaptured(Request(std::nullopt));
  EXPECT_EQ(report.result, noErr);
  for (const auto& [x, y] : {std::pair{3, 3}, {30, 3}, {3, 20}, {30, 20}})
    EXPECT_NE(page->Pixel(x, y), (std::vector<uint8_t>{255, 255, 255})) << x << ", " << y;
  EXPECT_EQ(page->Pixel(20, 3), (std::vector<uint8_t>{0, 0, 0}));
  // Nothing could be recorded, the block still holds the run's parameters,
  // and no handle was lost or released twice.
  EXPECT_FALSE(report.recorded.has_value());
  CTesselParams block;
  ASSERT_TRUE(ParameterBlock(session.host(), block));
  ExpectStoredFieldsEqual(block, params, true);
  EXPECT_EQ(session.host().handles().liveCount(), 1u);
  EXPECT_EQ(session.host().handles().misuseCount(), 0u);
}

}  // namespace
}  // namespace tessel::test
