// A filter object attached to our host's handle and descriptor services,
// without loading the module: for tests of the parameter stores.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "host/DescriptorServices.h"
#include "host/HandleServices.h"
#include "plugin/Tessel.h"

namespace tessel::test {

class StoreFixture : public ::testing::Test {
 protected:
  StoreFixture() {
    record.handleProcs = handles.procs();
    record.descriptorParameters = descriptors.parameters();
    filter.init(&record, nullptr);
  }

  host::HandleServices handles;
  host::DescriptorServices descriptors{handles};
  FilterRecord record{};
  CTessel filter;
};

// A record with every stored field away from its default.
inline CTesselParams UnusualRecord() {
  CTesselParams p;
  p.fillColor = {1, 258, 65534};
  std::strcpy(p.paletteName, "Comic Pastels.aco");
  p.tolerance = 4321;
  p.randomColors = 1;
  p.measureByArea = 1;
  p.flagAreas = 1;
  p.flagColor = {7, 65535, 300};
  p.flagSize = 123456;
  p.joinAreas = 1;
  p.joinSize = 99;
  p.paintAntiAliased = 0;
  return p;
}

// Every field a store carries; the reserved flag only where `withReservedFlag`.
inline void ExpectStoredFieldsEqual(const CTesselParams& a, const CTesselParams& b, bool withReservedFlag) {
  EXPECT_EQ(a.fillColor.red, b.fillColor.red);
  EXPECT_EQ(a.fillColor.green, b.fillColor.green);
  EXPECT_EQ(a.fillColor.blue, b.fillColor.blue);
  EXPECT_STREQ(a.paletteName, b.paletteName);
  EXPECT_EQ(a.tolerance, b.tolerance);
  if (withReservedFlag) {
    EXPECT_EQ(a.reservedFlag, b.reservedFlag);
  }
  EXPECT_EQ(a.randomColors, b.randomColors);
  EXPECT_EQ(a.measureByArea, b.measureByArea);
  EXPECT_EQ(a.flagAreas, b.flagAreas);
  EXPECT_EQ(a.flagColor.red, b.flagColor.red);
  EXPECT_EQ(a.flagColor.green, b.flagColor.green);
  EXPECT_EQ(a.flagColor.blue, b.flagColor.blue);
  EXPECT_EQ(a.flagSize, b.flagSize);
  EXPECT_EQ(a.joinAreas, b.joinAreas);
  EXPECT_EQ(a.joinSize, b.joinSize);
  EXPECT_EQ(a.paintAntiAliased, b.paintAntiAliased);
}

}  // namespace tessel::test
