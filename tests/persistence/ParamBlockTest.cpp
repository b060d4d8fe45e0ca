// The parameter block: byte layout, round trips, and blocks the filter did
// not write or the host could not size.
#include <gtest/gtest.h>

#include <string>

#include "tests/persistence/StoreFixture.h"

namespace tessel::test {
namespace {

constexpr size_t kBlockSize = 320;
constexpr char kPattern = char(0xEE);

class ParamBlock : public StoreFixture {
 protected:
  Handle Block(size_t size, char fill) { return handles.FromBytes(std::string(size, fill)); }
  std::string BlockBytes() { return handles.Bytes(record.parameters); }
  void Write(CTesselParams params) { filter.WriteParamBlock(params); }
};

void PutLE(std::string& bytes, size_t offset, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) bytes[offset + i] = char(value >> (8 * i));
}

TEST_F(ParamBlock, EveryFieldSitsAtItsOffsetAndGapsAreLeftAlone) {
  CTesselParams p = UnusualRecord();
  p.reserved = 0x77;
  p.reservedFlag = 0x5A;
  record.parameters = Block(kBlockSize, kPattern);
  filter.WriteParamBlock(p);

  std::string expected(kBlockSize, kPattern);
  PutLE(expected, 0, 0x54655365, 8);
  PutLE(expected, 8, 3, 2);
  PutLE(expected, 12, 1, 2);
  PutLE(expected, 14, 258, 2);
  PutLE(expected, 16, 65534, 2);
  const std::string name = "Comic Pastels.aco";
  expected.replace(18, 256, name + std::string(256 - name.size(), '\0'));
  PutLE(expected, 274, 4321, 2);
  PutLE(expected, 276, 0x5A, 1);
  PutLE(expected, 277, 1, 1);
  PutLE(expected, 278, 1, 1);
  PutLE(expected, 279, 1, 1);
  PutLE(expected, 280, 7, 2);
  PutLE(expected, 282, 65535, 2);
  PutLE(expected, 284, 300, 2);
  PutLE(expected, 288, 123456, 8);
  PutLE(expected, 296, 1, 1);
  PutLE(expected, 304, 99, 8);
  PutLE(expected, 312, 0, 1);

  const std::string actual = BlockBytes();
  ASSERT_EQ(actual.size(), kBlockSize);
  for (size_t i = 0; i < kBlockSize; ++i) EXPECT_EQ(uint8_t(actual[i]), uint8_t(expected[i])) << "offset " << i;
}

TEST_F(ParamBlock, RoundTripKeepsEveryFieldAndTheReadersReservedByte) {
  CTesselParams written = UnusualRecord();
  written.reserved = 9;
  written.reservedFlag = -3;
  written.randomColors = 7;  // stored as it is, not normalised
  written.flagSize = ~uint64_t{0};
  filter.WriteParamBlock(written);
  ASSERT_NE(record.parameters, nullptr);
  EXPECT_EQ(handles.Size(record.parameters), int32_t(kBlockSize));

  CTesselParams read;
  EXPECT_TRUE(filter.ReadParamBlock(read));
  ExpectStoredFieldsEqual(read, written, true);
  EXPECT_EQ(read.reserved, 0);
}

TEST_F(ParamBlock, NamesComeBackWholeAndLeaveOnlyNulsBehind) {
  CTesselParams p;
  const std::string longest(255, 'n');
  std::strcpy(p.paletteName, longest.c_str());
  filter.WriteParamBlock(p);
  CTesselParams read;
  ASSERT_TRUE(filter.ReadParamBlock(read));
  EXPECT_EQ(std::string(read.paletteName), longest);

  // A shorter name over the longer one clears the rest of the field.
  std::strcpy(p.paletteName, "a.aco");
  filter.WriteParamBlock(p);
  const std::string field = BlockBytes().substr(18, 256);
  EXPECT_EQ(field, std::string("a.aco") + std::string(251, '\0'));
}

TEST_F(ParamBlock, NameFieldWithoutNulReadsAsItsFirst255Characters) {
  Write(CTesselParams());
  for (size_t i = 18; i < 18 + 256; ++i) (*record.parameters)[i] = 'z';
  CTesselParams read;
  ASSERT_TRUE(filter.ReadParamBlock(read));
  EXPECT_EQ(std::string(read.paletteName), std::string(255, 'z'));
}

TEST_F(ParamBlock, ForeignOrOlderBlocksResetTheRecordAndStayUnchanged) {
  struct Case {
    const char* what;
    size_t offset;
    uint64_t value;
    size_t size;
  };
  for (const Case& c : {Case{"version 2", 8, 2, 2}, Case{"foreign signature", 0, 0x41424344, 8},
                        Case{"stray high signature bits", 4, 1, 1}}) {
    Write(UnusualRecord());
    std::string bytes = BlockBytes();
    PutLE(bytes, c.offset, c.value, c.size);
    std::memcpy(*record.parameters, bytes.data(), bytes.size());

    CTesselParams read = UnusualRecord();
    EXPECT_FALSE(filter.ReadParamBlock(read)) << c.what;
    ExpectStoredFieldsEqual(read, CTesselParams(), true);
    EXPECT_TRUE(read.IsValid()) << c.what;
    EXPECT_EQ(BlockBytes(), bytes) << c.what;
  }
}

TEST_F(ParamBlock, NoBlockLeavesTheRecordAsItWas) {
  CTesselParams read = UnusualRecord();
  EXPECT_FALSE(filter.ReadParamBlock(read));
  ExpectStoredFieldsEqual(read, UnusualRecord(), true);
}

TEST_F(ParamBlock, ShortBlockIsInvalidAndNotReadPastItsEnd) {
  // A valid record's first 100 bytes: its signature and version pass.
  Write(UnusualRecord());
  const std::string head = BlockBytes().substr(0, 100);
  record.parameters = handles.FromBytes(head);
  CTesselParams read = UnusualRecord();
  EXPECT_FALSE(filter.ReadParamBlock(read));
  ExpectStoredFieldsEqual(read, CTesselParams(), true);
}

TEST_F(ParamBlock, BlockTheHostCannotResizeIsNotWritten) {
  const Handle small = Block(100, 'q');
  record.parameters = small;
  handles.FailResizes(true);
  Write(UnusualRecord());
  EXPECT_EQ(record.parameters, small);
  EXPECT_EQ(BlockBytes(), std::string(100, 'q'));
}

TEST_F(ParamBlock, NothingIsWrittenWithoutUsableHandleServices) {
  HandleProcs newer = *handles.procs();
  newer.handleProcsVersion = 2;
  for (HandleProcs* procs : {static_cast<HandleProcs*>(nullptr), &newer}) {
    record.handleProcs = procs;
    Write(UnusualRecord());
    EXPECT_EQ(record.parameters, nullptr);
    EXPECT_EQ(handles.liveCount(), 0u);
  }
}

TEST_F(ParamBlock, FailedAllocationLeavesNoBlock) {
  handles.SetAllocationLimit(100);
  Write(UnusualRecord());
  EXPECT_EQ(record.parameters, nullptr);
  CTesselParams read = UnusualRecord();
  EXPECT_FALSE(filter.ReadParamBlock(read));
  ExpectStoredFieldsEqual(read, UnusualRecord(), true);
}

TEST_F(ParamBlock, ExistingBlocksAreResizedAndReused) {
  Write(CTesselParams());
  const Handle first = record.parameters;
  Write(UnusualRecord());
  EXPECT_EQ(record.parameters, first);

  record.parameters = Block(400, 'x');
  const Handle longer = record.parameters;
  Write(UnusualRecord());
  EXPECT_EQ(record.parameters, longer);
  EXPECT_EQ(handles.Size(longer), int32_t(kBlockSize));
  EXPECT_EQ(handles.misuseCount(), 0u);
}

}  // namespace
}  // namespace tessel::test
