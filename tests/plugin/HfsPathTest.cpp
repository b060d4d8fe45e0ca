// The mapping between the editor's colon-separated folder paths and POSIX paths.
#include <gtest/gtest.h>

#include <string>

#include "interface/HfsPath.h"

namespace tessel::hfs {
namespace {

std::string ToPosix(const std::string& hfs) {
  std::string posix = "untouched";
  return HfsToPosix(hfs, posix) ? posix : "<rejected:" + posix + ">";
}

std::string ToHfs(const std::string& posix) {
  std::string hfs = "untouched";
  return PosixToHfs(posix, hfs) ? hfs : "<rejected:" + hfs + ">";
}

TEST(HfsPath, BootVolumeIsTheRootAndOtherVolumesLieBelowVolumes) {
  EXPECT_EQ(ToHfs("/"), "Tessel HD:");
  EXPECT_EQ(ToHfs("/home/me/Presets"), "Tessel HD:home:me:Presets:");
  EXPECT_EQ(ToHfs("/Volumes/Scratch/Presets/"), "Scratch:Presets:");
  EXPECT_EQ(ToHfs("//home///me/"), "Tessel HD:home:me:");

  EXPECT_EQ(ToPosix("Tessel HD:"), "/");
  EXPECT_EQ(ToPosix("Tessel HD:home:me:Presets:"), "/home/me/Presets");
  EXPECT_EQ(ToPosix("Scratch:Presets:"), "/Volumes/Scratch/Presets");
  EXPECT_EQ(ToPosix("Scratch:"), "/Volumes/Scratch");
}

TEST(HfsPath, SlashAndColonSwapInsideNames) {
  EXPECT_EQ(ToHfs("/Art: 2024/a/b"), "Tessel HD:Art/ 2024:a:b:");
  EXPECT_EQ(ToPosix("Tessel HD:Art/ 2024:a/b:"), "/Art: 2024/a:b");
}

TEST(HfsPath, PathsRoundTripUnchanged) {
  for (const std::string posix :
       {"/", "/Volumes", "/Volumes/Tessel HD/x", "/Volumes/a:b/c", "/home/me/Prèsets ☃/Color Swatches",
        "/Users/Jürgen/Library/Application Support"}) {
    std::string hfs, back;
    ASSERT_TRUE(PosixToHfs(posix, hfs)) << posix;
    ASSERT_TRUE(HfsToPosix(hfs, back)) << hfs;
    EXPECT_EQ(back, posix) << hfs;
  }
}

TEST(HfsPath, WhatCannotBeMappedIsRejectedAndTheOutputKept) {
  EXPECT_EQ(ToPosix(""), "<rejected:untouched>");
  EXPECT_EQ(ToPosix("NoColonAtAll"), "<rejected:untouched>");
  EXPECT_EQ(ToPosix(":relative:path:"), "<rejected:untouched>");
  EXPECT_EQ(ToPosix("Vol::parent:"), "<rejected:untouched>");
  EXPECT_EQ(ToPosix("Vol:bad\xC3:"), "<rejected:untouched>");
  EXPECT_EQ(ToPosix("Vol:overlong\xC0\xAF:"), "<rejected:untouched>");

  EXPECT_EQ(ToHfs(""), "<rejected:untouched>");
  EXPECT_EQ(ToHfs("relative/path"), "<rejected:untouched>");
  EXPECT_EQ(ToHfs("/a/../b"), "<rejected:untouched>");
  EXPECT_EQ(ToHfs("/a/./b"), "<rejected:untouched>");
  EXPECT_EQ(ToHfs("/bad\xFF"), "<rejected:untouched>");
}

}  // namespace
}  // namespace tessel::hfs
