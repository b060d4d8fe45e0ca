// Swatch files as users' folders hold them when something is wrong: counts
// the file cannot back, files of many megabytes, pipes bearing a swatch's name.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "engine/PSPalette.h"
#include "tests/support/TempFolders.h"

namespace {

using tessel::test::TempFolder;
using tessel::test::WriteBytes;

// Big-endian bytes of a version, a count and `records` RGB swatches, the
// red of each being its position.
std::string SwatchBytes(uint16_t version, uint16_t count, uint16_t records) {
  std::string bytes = {char(version >> 8), char(version), char(count >> 8), char(count)};
  for (uint16_t i = 0; i < records; ++i)
    bytes += std::string{0, 0, char(i >> 8), char(i), '\xC0', '\xC0', 0, 0, 0, 0};
  return bytes;
}

TEST(SwatchFileFaults, CountOf65535InAShortFileGivesTheWholeRecordsOnly) {
  TempFolder folder;
  const auto path = folder.path() / "short.aco";
  WriteBytes(path, SwatchBytes(1, 65535, 2) + "\x00\x00\x12");
  CPSPalette palette(path.c_str());
  ASSERT_EQ(palette.mColors.size(), 2u);
  EXPECT_EQ(palette.mColors[1].components[0], 1);
}

TEST(SwatchFileFaults, FileOfManyMegabytesReadsItsFirstSectionOnly) {
  TempFolder folder;
  const auto path = folder.path() / "enormous.aco";
  std::string bytes = SwatchBytes(2, 65535, 65535);
  bytes.resize(16u << 20, '\xFF');  // whatever follows is never looked at
  WriteBytes(path, bytes);
  CPSPalette palette(path.c_str());
  ASSERT_EQ(palette.mColors.size(), 65535u);
  EXPECT_EQ(palette.mColors.back().components[0], 65534);
  EXPECT_EQ(palette.mColors.back().components[1], 0xC0C0);
  CPSPaletteColor colour;
  for (size_t i = 0; i <= 65535; ++i) palette.GetNextColor(colour);
  EXPECT_EQ(colour.components[0], 0);
}

TEST(SwatchFileFaults, PipeBearingASwatchNameGivesAnEmptyPaletteWithoutWaiting) {
  TempFolder folder;
  const std::string path = (folder.path() / "pipe.aco").string();
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  auto reading = std::async(std::launch::async, [&] { return CPSPalette(path.c_str()).mColors.size(); });
  if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Let the stuck reader go before failing, so the test ends.
    const int writer = open(path.c_str(), O_WRONLY);
    close(writer);
    FAIL() << "reading a pipe waited for a writer";
  }
  EXPECT_EQ(reading.get(), 0u);
}

}  // namespace
