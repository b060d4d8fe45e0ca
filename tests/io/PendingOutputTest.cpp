// Results replace their target only when complete, and keep what the
// target's owner set on it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "io/PendingOutput.h"
#include "tests/support/TempFolders.h"

namespace tessel::host {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
namespace fs = boost::filesystem;

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(PendingOutput, AbandonedOutputLeavesTheTargetAndNoTrace) {
  TempFolder folder;
  const fs::path target = folder.path() / "page.png";
  WriteBytes(target, "earlier");
  {
    io::PendingOutput pending(target.string());
    EXPECT_EQ(fs::path(pending.temporaryPath()).parent_path(), folder.path());
    EXPECT_EQ(fs::path(pending.temporaryPath()).extension(), ".png");
    WriteBytes(pending.temporaryPath(), "half a result");
  }
  EXPECT_EQ(ReadBytes(target), "earlier");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(PendingOutput, CommitReplacesTheTargetKeepingItsPermissions) {
  TempFolder folder;
  const fs::path target = folder.path() / "page.tif";
  WriteBytes(target, "earlier");
  chmod(target.c_str(), 0640);
  io::PendingOutput pending(target.string());
  WriteBytes(pending.temporaryPath(), "result");
  pending.Commit();
  EXPECT_EQ(ReadBytes(target), "result");
  EXPECT_EQ(ModeOf(target), 0640u);
  EXPECT_FALSE(fs::exists(pending.temporaryPath()));
}

TEST(PendingOutput, NewTargetGetsAnOrdinaryFilesPermissions) {
  TempFolder folder;
  const mode_t mask = umask(022);
  const fs::path target = folder.path() / "new.png";
  io::PendingOutput pending(target.string());
  pending.Commit();
  umask(mask);
  EXPECT_EQ(ModeOf(target), 0644u);  // not the temporary file's private 0600
}

TEST(PendingOutput, FolderThatCannotTakeTheFileIsNamed) {
  TempFolder folder;
  const std::string target = (folder.path() / "missing" / "page.png").string();
  try {
    io::PendingOutput pending(target);
    FAIL() << "claimed an output in a missing folder";
  } catch (const io::OutputError& e) {
    EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos) << e.what();
  }
}

TEST(PendingOutput, SameFileSeesThroughLinksAndSpellings) {
  TempFolder folder;
  const fs::path page = folder.path() / "page.png";
  WriteBytes(page, "x");
  fs::create_symlink(page, folder.path() / "link.png");
  EXPECT_TRUE(io::SameFile(page.string(), (folder.path() / "link.png").string()));
  EXPECT_TRUE(io::SameFile(page.string(), (folder.path() / "." / "page.png").string()));
  WriteBytes(folder.path() / "other.png", "x");
  EXPECT_FALSE(io::SameFile(page.string(), (folder.path() / "other.png").string()));
  EXPECT_FALSE(io::SameFile(page.string(), (folder.path() / "absent.png").string()));
}

// A process killed while writing leaves its temporary file: the batch that
// ran it removes those of that output, and nothing else of the folder.
TEST(PendingOutput, WhatAKilledProcessLeftOfAnOutputIsRemovedAndNothingElse) {
  TempFolder folder;
  const auto leaveBehind = [&](const std::string& name) {
    const pid_t child = fork();
    if (child == 0) {
      io::PendingOutput pending((folder.path() / name).string());
      _exit(0);  // as if killed: no destructor runs
    }
    waitpid(child, nullptr, 0);
  };
  leaveBehind("page.png");
  leaveBehind("page.png");
  leaveBehind("other.png");
  WriteBytes(folder.path() / "page.png", "the user's");
  WriteBytes(folder.path() / ".page.png.tessel-notes", "the user's too");
  ASSERT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 5);

  io::RemoveLeftTemporaries((folder.path() / "page.png").string());
  std::set<std::string> left;
  for (fs::directory_iterator entry(folder.path()), end; entry != end; ++entry)
    left.insert(entry->path().filename().string());
  EXPECT_EQ(left.size(), 3u);
  EXPECT_EQ(left.count("page.png"), 1u);
  EXPECT_EQ(left.count(".page.png.tessel-notes"), 1u);
  EXPECT_EQ(std::count_if(left.begin(), left.end(),
                          [](const std::string& name) { return name.rfind(".other.png", 0) == 0; }),
            1);
}

}  // namespace
}  // namespace tessel::host
