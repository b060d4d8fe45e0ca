#include <gtest/gtest.h>

#include <cstring>

#include "engine/TesselParams.h"

namespace {

void ExpectDefaults(const CTesselParams& p) {
  EXPECT_EQ(p.signature, 0x54655365u);
  EXPECT_EQ(p.version, 3);
  EXPECT_EQ(p.reserved, 0);
  EXPECT_EQ(p.fillColor.red, 65535);
  EXPECT_EQ(p.fillColor.green, 65535);
  EXPECT_EQ(p.fillColor.blue, 65535);
  EXPECT_STREQ(p.paletteName, "");
  EXPECT_EQ(p.tolerance, 0);
  EXPECT_EQ(p.reservedFlag, 0);
  EXPECT_EQ(p.randomColors, 0);
  EXPECT_EQ(p.measureByArea, 0);
  EXPECT_EQ(p.flagAreas, 0);
  EXPECT_EQ(p.flagColor.red, 65535);
  EXPECT_EQ(p.flagColor.green, 0);
  EXPECT_EQ(p.flagColor.blue, 65535);
  EXPECT_EQ(p.flagSize, 20u);
  EXPECT_EQ(p.joinAreas, 0);
  EXPECT_EQ(p.joinSize, 10u);
  EXPECT_EQ(p.paintAntiAliased, 1);
}

TEST(TesselParams, NewRecordHoldsTheDefaults) {
  CTesselParams p;
  ExpectDefaults(p);
  EXPECT_TRUE(p.IsValid());
}

TEST(TesselParams, ResetRestoresEveryMemberAndClearsTheWholeName) {
  CTesselParams p;
  std::memset(static_cast<_STesselParams*>(&p), 0xA5, sizeof(_STesselParams));
  p.Reset();
  ExpectDefaults(p);
  for (size_t i = 0; i < sizeof p.paletteName; ++i) ASSERT_EQ(p.paletteName[i], 0) << i;
}

TEST(TesselParams, ValidityNeedsTheFullSignatureAndVersionThree) {
  CTesselParams p;
  p.version = 2;
  EXPECT_FALSE(p.IsValid());
  p.version = 3;
  p.signature = (uint64_t{1} << 32) | 0x54655365u;  // right low 32 bits, stray high bits
  EXPECT_FALSE(p.IsValid());
  p.signature = 0x54655366u;
  EXPECT_FALSE(p.IsValid());
}

TEST(TesselParams, NoOtherMemberAffectsValidity) {
  CTesselParams p;
  p.tolerance = 65535;
  p.flagSize = 0;
  p.joinSize = ~uint64_t{0};
  p.paintAntiAliased = 7;
  std::strcpy(p.paletteName, "anything at all.aco");
  EXPECT_TRUE(p.IsValid());
}

}  // namespace
