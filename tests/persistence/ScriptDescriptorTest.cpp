// The scripting descriptor: replaying items into a record, recording a record
// as items, and descriptors that hold odd values or odd types.
#include <gtest/gtest.h>

#include <string>

#include "interface/FourCharCode.h"
#include "tests/persistence/StoreFixture.h"

namespace tessel::test {
namespace {

using base::Descriptor;
using base::DescriptorItem;
using base::ObjectValue;

constexpr DescType kRGBC = FourCharCode("RGBC");

base::DescriptorItem Int(const char (&key)[5], int32_t value) { return {FourCharCode(key), value}; }
base::DescriptorItem Bool(const char (&key)[5], bool value) { return {FourCharCode(key), value}; }
base::DescriptorItem Text(const char (&key)[5], std::string value) { return {FourCharCode(key), std::move(value)}; }
base::DescriptorItem Color(const char (&key)[5], base::Descriptor components) {
  return {FourCharCode(key), base::ObjectValue{kRGBC, std::move(components)}};
}
base::Descriptor ColorObject(int32_t red, int32_t green, int32_t blue) {
  return base::Descriptor{{Int("Rd  ", red), Int("Grn ", green), Int("Bl  ", blue), {0, int32_t(0)}}};
}

class ScriptDescriptor : public StoreFixture {
 protected:
  // Replays `descriptor` into `params`; answers ReadScript's answer.
  bool Replay(const base::Descriptor& descriptor, CTesselParams& params, int16_t playInfo = plugInDialogDontDisplay) {
    descriptors.SetReplay(descriptor, playInfo);
    return filter.ReadScript(params);
  }
  base::Descriptor Recorded(CTesselParams params) {
    filter.WriteScript(params);
    return descriptors.Held().value_or(base::Descriptor{{Text("????", "nothing recorded")}});
  }
  void ExpectNothingLeftOpen() {
    EXPECT_EQ(descriptors.openReaders(), 0u);
    EXPECT_EQ(descriptors.openWriters(), 0u);
    EXPECT_EQ(handles.misuseCount(), 0u);
  }
};

TEST_F(ScriptDescriptor, ReplayChangesOnlyTheFieldsItHolds) {
  const base::Descriptor items{{Int("Tlrn", 12), Bool("PaAp", false)}};
  for (int16_t playInfo : {0, 1, 2}) {
    CTesselParams p = UnusualRecord();
    p.paintAntiAliased = 1;
    EXPECT_EQ(Replay(items, p, playInfo), playInfo == 1) << playInfo;
    CTesselParams expected = UnusualRecord();
    expected.tolerance = 12;
    expected.paintAntiAliased = 0;
    ExpectStoredFieldsEqual(p, expected, true);
    // The host's descriptor has been consumed.
    EXPECT_EQ(record.descriptorParameters->descriptor, nullptr);
    EXPECT_EQ(handles.liveCount(), 0u);
  }
  ExpectNothingLeftOpen();
}

TEST_F(ScriptDescriptor, ReadersAreHandedTheKeysInTheEditorsOrder) {
  CTesselParams params;
  Replay(base::Descriptor{{Color("BckC", ColorObject(1, 2, 3)), Int("Tlrn", 4)}}, params);
  const auto keys = [](const std::string& names) {  // four characters each
    std::vector<DescriptorKeyID> list;
    for (size_t i = 0; i + 4 <= names.size(); i += 4)
      list.push_back(DescriptorKeyID(uint8_t(names[i])) << 24 | uint8_t(names[i + 1]) << 16 |
                     uint8_t(names[i + 2]) << 8 | uint8_t(names[i + 3]));
    return list;
  };
  ASSERT_EQ(descriptors.keyLists().size(), 2u);
  EXPECT_EQ(descriptors.keyLists()[0],
            keys("Clr BckCPltFTlrnRanDAr  FlaGJoiNFlgSJinSPaAp"));
  EXPECT_EQ(descriptors.keyLists()[1], keys("Rd  Grn Bl  "));
}

TEST_F(ScriptDescriptor, IntegersKeepTheirLowBitsOrAreSignExtended) {
  CTesselParams p;
  Replay(base::Descriptor{{Int("Tlrn", 70000), Int("FlgS", -1), Int("JinS", -2)}}, p);
  EXPECT_EQ(p.tolerance, 4464);
  EXPECT_EQ(p.flagSize, ~uint64_t{0});
  EXPECT_EQ(p.joinSize, ~uint64_t{0} - 1);
}

TEST_F(ScriptDescriptor, ColorObjectsReadTheirComponentsInAnyOrder) {
  CTesselParams p;
  Replay(base::Descriptor{{Color("BckC", base::Descriptor{{Int("Grn ", 300)}}),
                     Color("Clr ", base::Descriptor{{Int("Bl  ", 3), Int("Xtra", 9), Int("Rd  ", 70001)}})}},
         p);
  EXPECT_EQ(p.fillColor.red, 0);
  EXPECT_EQ(p.fillColor.green, 300);
  EXPECT_EQ(p.fillColor.blue, 0);
  EXPECT_EQ(p.flagColor.red, 70001 - 65536);
  EXPECT_EQ(p.flagColor.green, 0);
  EXPECT_EQ(p.flagColor.blue, 3);
  EXPECT_EQ(handles.liveCount(), 0u);
  ExpectNothingLeftOpen();
}

TEST_F(ScriptDescriptor, LongNamesAreCutTo255Characters) {
  CTesselParams p;
  Replay(base::Descriptor{{Text("PltF", std::string(300, 'p'))}}, p);
  EXPECT_EQ(std::string(p.paletteName), std::string(255, 'p'));
  Replay(base::Descriptor{{Text("PltF", "b.aco")}}, p);
  EXPECT_EQ(std::string(p.paletteName), "b.aco");
  for (size_t i = 5; i < kPaletteNameSize; ++i) ASSERT_EQ(p.paletteName[i], '\0') << i;
}

TEST_F(ScriptDescriptor, UnknownKeysAndItemsOfTheWrongTypeChangeNothing) {
  CTesselParams p = UnusualRecord();
  p.reservedFlag = 4;
  Replay(base::Descriptor{{Int("Xtra", 5), Text("Tlrn", "12"), Int("RanD", 0), Int("BckC", 1),
                     Bool("PltF", true), Color("Clr ", base::Descriptor{{Text("Rd  ", "1"), Int("Grn ", 2)}}),
                     Text("FlgS", "1")}},
         p);
  CTesselParams expected = UnusualRecord();
  expected.reservedFlag = 4;
  // Only the flag colour's readable component changed: red kept its value.
  expected.flagColor = {UnusualRecord().flagColor.red, 2, 0};
  ExpectStoredFieldsEqual(p, expected, true);
  EXPECT_EQ(p.signature, kTesselSignature);
  EXPECT_EQ(p.version, kTesselParamsVersion);
  ExpectNothingLeftOpen();
}

TEST_F(ScriptDescriptor, WithoutDescriptorServicesTheDialogIsWanted) {
  CTesselParams p = UnusualRecord();
  record.descriptorParameters = nullptr;
  EXPECT_TRUE(filter.ReadScript(p));
  filter.WriteScript(p);
  ExpectStoredFieldsEqual(p, UnusualRecord(), true);
  EXPECT_EQ(handles.liveCount(), 0u);
}

TEST_F(ScriptDescriptor, NothingToReplayAnswersFromPlayInfoAlone) {
  CTesselParams p = UnusualRecord();
  descriptors.parameters()->playInfo = plugInDialogDontDisplay;
  EXPECT_FALSE(filter.ReadScript(p));
  // A descriptor handle the host cannot read opens no reader.
  descriptors.parameters()->descriptor = handles.FromBytes("not a descriptor");
  descriptors.parameters()->playInfo = plugInDialogDisplay;
  EXPECT_TRUE(filter.ReadScript(p));
  ExpectStoredFieldsEqual(p, UnusualRecord(), true);
}

TEST_F(ScriptDescriptor, RecordingWritesElevenItemsInOrder) {
  const base::Descriptor expected{{
      Color("BckC", ColorObject(65535, 65535, 65535)),
      Color("Clr ", ColorObject(65535, 0, 65535)),
      Text("PltF", ""),
      Int("Tlrn", 0),
      Bool("RanD", false),
      Bool("Ar  ", false),
      Bool("FlaG", false),
      Bool("JoiN", false),
      Int("FlgS", 20),
      Int("JinS", 10),
      Bool("PaAp", true),
  }};
  descriptors.parameters()->recordInfo = plugInDialogRequired;
  EXPECT_EQ(Recorded(CTesselParams()), expected);
  EXPECT_EQ(descriptors.parameters()->recordInfo, plugInDialogOptional);
  EXPECT_EQ(handles.liveCount(), 1u);
  ExpectNothingLeftOpen();
}

TEST_F(ScriptDescriptor, RecordingNonZeroFlagsAsTrueAndSizesAsTheirLow32Bits) {
  CTesselParams p;
  p.randomColors = 7;
  p.flagSize = (uint64_t{1} << 32) + 5;
  p.joinSize = 0xFFFFFFFFu;
  const base::Descriptor d = Recorded(p);
  ASSERT_NE(d.Find(FourCharCode("RanD")), nullptr);
  EXPECT_EQ(d.Find(FourCharCode("RanD"))->value, base::DescriptorValue(true));
  EXPECT_EQ(d.Find(FourCharCode("FlgS"))->value, base::DescriptorValue(int32_t(5)));
  EXPECT_EQ(d.Find(FourCharCode("JinS"))->value, base::DescriptorValue(int32_t(-1)));
}

TEST_F(ScriptDescriptor, AColourTheHostRefusesIsLeftOutAndNotLeaked) {
  descriptors.RefusePut(FourCharCode("BckC"));
  const base::Descriptor d = Recorded(UnusualRecord());
  EXPECT_EQ(d.Find(FourCharCode("BckC")), nullptr);
  EXPECT_EQ(d.items.size(), 10u);
  EXPECT_EQ(d.items.front().key, FourCharCode("Clr "));
  EXPECT_EQ(handles.liveCount(), 1u);
  ExpectNothingLeftOpen();
}

TEST_F(ScriptDescriptor, RecordedThenReplayedGivesTheSameRecord) {
  CTesselParams written = UnusualRecord();
  filter.WriteScript(written);
  descriptors.parameters()->playInfo = plugInDialogDontDisplay;
  CTesselParams read;
  EXPECT_FALSE(filter.ReadScript(read));
  ExpectStoredFieldsEqual(read, written, false);
  EXPECT_EQ(handles.liveCount(), 0u);
  ExpectNothingLeftOpen();
}

}  // namespace
}  // namespace tessel::test
