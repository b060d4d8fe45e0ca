// The parameter stores when the host's handle memory runs out mid-run: the
// fields that could not be handed over keep their values, and no handle is
// left behind or released twice.
#include <gtest/gtest.h>

#include "tests/persistence/StoreFixture.h"

namespace tessel::test {
namespace {

class HostMemoryFault : public StoreFixture {
 protected:
  // Too little for any text or colour object; numbers and flags need none.
  static constexpr int32_t kTightLimit = 8;

  void ExpectNoHandleLeftOrMisused() {
    EXPECT_EQ(handles.liveCount(), 0u);
    EXPECT_EQ(handles.misuseCount(), 0u);
    EXPECT_EQ(descriptors.openReaders(), 0u);
    EXPECT_EQ(descriptors.openWriters(), 0u);
  }
};

TEST_F(HostMemoryFault, ReplayKeepsWhatTheHostCouldNotHandOver) {
  CTesselParams recorded = UnusualRecord();
  filter.WriteScript(recorded);
  ASSERT_NE(descriptors.parameters()->descriptor, nullptr);
  descriptors.parameters()->playInfo = plugInDialogDontDisplay;

  handles.SetAllocationLimit(kTightLimit);
  CTesselParams read;
  EXPECT_FALSE(filter.ReadScript(read));
  const CTesselParams defaults;
  EXPECT_STREQ(read.paletteName, defaults.paletteName);
  EXPECT_EQ(read.fillColor.green, defaults.fillColor.green);
  EXPECT_EQ(read.flagColor.green, defaults.flagColor.green);
  EXPECT_EQ(read.tolerance, recorded.tolerance);
  EXPECT_EQ(read.flagSize, recorded.flagSize);
  EXPECT_EQ(read.paintAntiAliased, recorded.paintAntiAliased);
  EXPECT_EQ(descriptors.parameters()->descriptor, nullptr);
  ExpectNoHandleLeftOrMisused();
}

TEST_F(HostMemoryFault, RecordingWithoutMemoryLeavesNoDescriptor) {
  handles.SetAllocationLimit(kTightLimit);
  CTesselParams params = UnusualRecord();
  filter.WriteScript(params);
  EXPECT_EQ(descriptors.parameters()->descriptor, nullptr);
  ExpectNoHandleLeftOrMisused();

  // Memory back: the next recording is whole again.
  handles.SetAllocationLimit(INT32_MAX);
  filter.WriteScript(params);
  descriptors.parameters()->playInfo = plugInDialogDontDisplay;
  CTesselParams replayed;
  filter.ReadScript(replayed);
  ExpectStoredFieldsEqual(replayed, params, false);
  ExpectNoHandleLeftOrMisused();
}

}  // namespace
}  // namespace tessel::test
