// The presets folder through the host's suites, and the preferences folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/FolderSuites.h"
#include "host/Suites.h"
#include "plugin/HostFolders.h"
#include "plugin/PSFilter.h"
#include "tests/support/TempFolders.h"

namespace tessel::host {
namespace {

constexpr short kBufferSize = 2048;

// A filter wired to our host's folder suites, as PluginMain would wire it.
class PresetsPath : public ::testing::Test {
 protected:
  void SetUp() override {
    folders.RegisterWith(registry);
    registry.MakeCurrent();
    folders.MakeCurrent();
    ASSERT_EQ(registry.basic()->AcquireSuite(kPSGetFileListSuite, 5, reinterpret_cast<const void**>(&sFileList)), 0);
    ASSERT_EQ(registry.basic()->AcquireSuite(kPSGetPathSuite, 1, reinterpret_cast<const void**>(&sPSGetPath)), 0);
    std::memset(buffer, 'x', sizeof buffer);
  }
  void TearDown() override {
    sFileList = nullptr;
    sPSGetPath = nullptr;
  }

  std::string Path(short size = kBufferSize) {
    filter.GetPresetsPath(buffer, size);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
  }

  SuiteRegistry registry;
  FolderSuites folders;
  CPSFilter filter;
  char buffer[kBufferSize];
};

TEST_F(PresetsPath, FolderComesBackAsTheSamePosixPath) {
  ASSERT_TRUE(folders.SetPresetsFolder("/opt/editor/Presets"));
  EXPECT_EQ(Path(), "/opt/editor/Presets");
  ASSERT_TRUE(folders.SetPresetsFolder("/Volumes/Scratch/Presets/"));
  EXPECT_EQ(Path(), "/Volumes/Scratch/Presets");
}

TEST_F(PresetsPath, NonAsciiFolderComesBackAsUtf8) {
  const std::string folder = "/home/jürgen/Voreinstellungen ☃/Prèsets";
  ASSERT_TRUE(folders.SetPresetsFolder(folder));
  EXPECT_EQ(Path(), folder);
}

TEST_F(PresetsPath, MissingSuiteGivesAnEmptyStringAndTouchesNothingElse) {
  ASSERT_TRUE(folders.SetPresetsFolder("/opt/editor/Presets"));
  for (int missing = 0; missing < 3; ++missing) {
    std::memset(buffer, 'x', sizeof buffer);
    const PSGetFileListSuite5* fileList = sFileList;
    const PSGetPathSuite1* getPath = sPSGetPath;
    if (missing != 1) sFileList = nullptr;
    if (missing != 2) sPSGetPath = nullptr;
    EXPECT_EQ(Path(), "") << missing;
    for (size_t i = 1; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 'x') << "byte " << i << ", case " << missing;
    sFileList = fileList;
    sPSGetPath = getPath;
  }
}

TEST_F(PresetsPath, EveryFailureLeavesAnEmptyTerminatedString) {
  // No folder given to the host.
  EXPECT_EQ(Path(), "");
  // The host's "X:" fits but the POSIX path does not.
  ASSERT_TRUE(folders.SetPresetsFolder("/Volumes/X"));
  EXPECT_EQ(Path(5), "");
  EXPECT_EQ(Path(11), "/Volumes/X");
  // The host's own answer, "Tessel HD:a:", does not fit.
  ASSERT_TRUE(folders.SetPresetsFolder("/a"));
  EXPECT_EQ(Path(13), "/a");
  EXPECT_EQ(Path(12), "");
  // A buffer of one byte holds just the terminator; a size of 0 is not written at all.
  EXPECT_EQ(Path(1), "");
  buffer[0] = 'x';
  filter.GetPresetsPath(buffer, 0);
  EXPECT_EQ(buffer[0], 'x');
}

// A host that fills the whole buffer without a terminator, or answers with a
// path in the wrong style.
const char* sHostAnswer = nullptr;
SPErr AnswerSpec(SPPlatformFileSpecification*) { return 0; }
SPErr AnswerPath(const SPPlatformFileSpecification*, char* path, int32_t maxLength) {
  if (sHostAnswer)
    std::strcpy(path, sHostAnswer);
  else
    std::memset(path, 'A', static_cast<size_t>(maxLength));
  return 0;
}

TEST_F(PresetsPath, MalformedHostAnswersGiveAnEmptyString) {
  static PSGetFileListSuite5 fileList{};
  fileList.GetPresetsFolderSpec = AnswerSpec;
  static const PSGetPathSuite1 getPath{AnswerPath};
  sFileList = &fileList;
  sPSGetPath = &getPath;
  for (const char* answer : {static_cast<const char*>(nullptr), "/posix/style", ":relative:", "Vol:bad\xFF:"}) {
    sHostAnswer = answer;
    EXPECT_EQ(Path(), "") << (answer ? answer : "unterminated");
  }
}

TEST(PrefsFolder, ConfigFolderIsCreatedAndEndsWithOneSlash) {
  test::TempFolder root;
  const std::string config = (root.path() / "not yet" / "config").string();
  test::ScopedEnv xdg("XDG_CONFIG_HOME", config + "//");
  std::string path;
  ASSERT_TRUE(GetPrefsFolderPath(path));
  EXPECT_EQ(path, config + "/");
  EXPECT_TRUE(boost::filesystem::is_directory(config));
}

TEST(PrefsFolder, HomeConfigWhenNoAbsoluteXdgFolder) {
  test::TempFolder home;
  test::ScopedEnv homeEnv("HOME", home.path().string());
  for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/config"}) {
    test::ScopedEnv xdgEnv("XDG_CONFIG_HOME", xdg ? std::optional<std::string>(xdg) : std::nullopt);
    std::string path;
    ASSERT_TRUE(GetPrefsFolderPath(path)) << (xdg ? xdg : "unset");
    EXPECT_EQ(path, (home.path() / ".config").string() + "/");
  }
  EXPECT_FALSE(boost::filesystem::exists("relative"));
}

TEST(PrefsFolder, FalseAndStringUnchangedWhenNoFolderCanBeHad) {
  test::TempFolder root;
  test::WriteBytes(root.path() / "file", "x");
  {
    test::ScopedEnv xdg("XDG_CONFIG_HOME", (root.path() / "file" / "config").string());
    std::string path = "kept";
    EXPECT_FALSE(GetPrefsFolderPath(path));
    EXPECT_EQ(path, "kept");
  }
  {
    test::ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    test::ScopedEnv home("HOME", std::nullopt);
    std::string path = "kept";
    EXPECT_FALSE(GetPrefsFolderPath(path));
    EXPECT_EQ(path, "kept");
  }
}

}  // namespace
}  // namespace tessel::host
