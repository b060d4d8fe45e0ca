// Reading .aco swatch files as real tools write them, and the colour cycle.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "engine/PSPalette.h"

namespace {

namespace fs = std::filesystem;

using Words = std::vector<uint16_t>;

// Big-endian bytes of the given 16-bit words.
std::string BigEndian(std::initializer_list<Words> parts) {
  std::string bytes;
  for (const Words& words : parts)
    for (uint16_t w : words) {
      bytes.push_back(static_cast<char>(w >> 8));
      bytes.push_back(static_cast<char>(w & 0xFF));
    }
  return bytes;
}

Words Components(const CPSPaletteColor& color) {
  return {color.colorSpace, color.components[0], color.components[1], color.components[2], color.components[3]};
}

class SwatchFile : public ::testing::Test {
 protected:
  void SetUp() override {
    mFolder = fs::temp_directory_path() / ("tessel-aco-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(mFolder);
  }
  void TearDown() override { fs::remove_all(mFolder); }

  std::string Write(const std::string& bytes) {
    const fs::path path = mFolder / "swatches.aco";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::vector<Words> ColoursOf(const std::string& path) {
    CPSPalette palette(path.c_str());
    std::vector<Words> colours;
    for (const CPSPaletteColor& c : palette.mColors) colours.push_back(Components(c));
    return colours;
  }

  fs::path mFolder;
};

const Words kRed = {0, 0xFFFF, 0, 0, 0};
const Words kGreen = {0, 0, 0xFFFF, 0, 0};
const Words kBlue = {0, 0, 0, 0xFFFF, 0};

TEST_F(SwatchFile, FirstSectionOnlyAndTheCycleRepeats) {
  // Version 1, three colours, then a version-2 section with names and the
  // editor's trailing block: only the first section counts.
  const std::string v2 = BigEndian({{2, 1}, kRed, {0, 4, 'R', 'e', 'd', 0}}) + "8BIMphry....";
  const std::string path = Write(BigEndian({{1, 3}, kRed, kGreen, kBlue}) + v2);
  CPSPalette palette(path.c_str());
  ASSERT_EQ(palette.mColors.size(), 3u);
  CPSPaletteColor color;
  for (const Words* expected : {&kRed, &kGreen, &kBlue, &kRed, &kGreen}) {
    palette.GetNextColor(color);
    EXPECT_EQ(Components(color), *expected);
  }
}

TEST_F(SwatchFile, VersionTwoSectionAloneIsReadAsTenByteRecords) {
  EXPECT_EQ(ColoursOf(Write(BigEndian({{2, 2}, kGreen, kBlue}))), (std::vector<Words>{kGreen, kBlue}));
  EXPECT_EQ(ColoursOf(Write(BigEndian({{0, 1}, kBlue}))), (std::vector<Words>{kBlue}));
}

TEST_F(SwatchFile, UnknownVersionOrNoColoursGiveAnEmptyPalette) {
  EXPECT_TRUE(ColoursOf(Write(BigEndian({{3, 1}, kRed}))).empty());
  EXPECT_TRUE(ColoursOf(Write(BigEndian({{1, 0}, kRed}))).empty());
  EXPECT_TRUE(ColoursOf(Write(BigEndian({{1}}))).empty());
  EXPECT_TRUE(ColoursOf(Write("")).empty());
}

TEST_F(SwatchFile, TruncatedRecordsAreDropped) {
  std::string bytes = BigEndian({{1, 4}, kRed, kGreen, kBlue});
  bytes.resize(4 + 10 * 2 + 5);  // ends 5 bytes into the third record
  EXPECT_EQ(ColoursOf(Write(bytes)), (std::vector<Words>{kRed, kGreen}));
}

TEST_F(SwatchFile, MissingFileOrFolderGivesAnEmptyPalette) {
  EXPECT_TRUE(ColoursOf((mFolder / "absent.aco").string()).empty());
  EXPECT_TRUE(ColoursOf(mFolder.string()).empty());
  EXPECT_TRUE(CPSPalette().IsEmpty());
  EXPECT_TRUE(CPSPalette(static_cast<const char*>(nullptr)).IsEmpty());
}

TEST_F(SwatchFile, RecordsAreHeldInHostOrder) {
  const std::string lab("\x00\x01\x00\x01\x00\x07\x27\x10\xCE\x00\x31\x9C\x00\x00", 14);
  CPSPalette palette(Write(lab).c_str());
  ASSERT_EQ(palette.mColors.size(), 1u);
  const CPSPaletteColor& c = palette.mColors[0];
  EXPECT_EQ(c.colorSpace, 7);
  EXPECT_EQ(c.components[0], 10000);
  EXPECT_EQ(static_cast<int16_t>(c.components[1]), -12800);
  EXPECT_EQ(c.components[2], 12700);

  const std::string rgb("\x00\x01\x00\x01\x00\x00\x12\x34\xAB\xCD\xFF\x00\x00\x00", 14);
  EXPECT_EQ(ColoursOf(Write(rgb)), (std::vector<Words>{{0, 4660, 43981, 65280, 0}}));
}

TEST(SwatchRecord, ReadsTenBigEndianBytes) {
  std::istringstream in(std::string("\x00\x08\x01\x02\x03\x04\x05\x06\x07\x08\x09", 11));
  SwatchRecord record;
  ASSERT_TRUE(::SwatchFile::ReadRecord(in, record));
  EXPECT_EQ(record.colorSpace, 8);
  EXPECT_EQ(record.components[3], 0x0708);
  EXPECT_EQ(static_cast<char>(in.get()), '\x09');
}

TEST(PaletteCycle, EmptyPaletteLeavesTheColourAndPurgeRewinds) {
  CPSPalette empty;
  CPSPaletteColor color;
  color.colorSpace = 42;
  empty.GetNextColor(color);
  EXPECT_EQ(color.colorSpace, 42);

  CPSPalette palette;
  for (uint16_t id : {0, 1, 2}) {
    CPSPaletteColor c;
    c.colorSpace = id;
    palette.mColors.push_back(c);
  }
  palette.GetNextColor(color);
  palette.GetNextColor(color);
  EXPECT_EQ(color.colorSpace, 1);
  palette.PurgeColor(color);
  EXPECT_EQ(palette.mColors.size(), 3u);
  palette.GetNextColor(color);
  EXPECT_EQ(color.colorSpace, 0);
}

}  // namespace
