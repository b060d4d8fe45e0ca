// The preferences file: its exact bytes, round trips, damaged and foreign
// files, and a preferences folder that cannot be used.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <sstream>
#include <string>

#include "persistence/PrefsFile.h"
#include "plugin/Tessel.h"
#include "tests/support/TempFolders.h"

namespace {

using tessel::test::ReadBytes;
using tessel::test::WriteBytes;

const std::string kDefaultBytes = std::string("1415926629 3 65535 65535 65535 0 ") + '\0' + ' ' + '\0' + ' ' + '\0' +
                                  ' ' + '\0' + " 65535 0 65535 20 " + '\0' + " 10\n\n" + '\1' + '\n';

bool SameRecord(const CTesselParams& a, const CTesselParams& b) {
  return std::memcmp(static_cast<const _STesselParams*>(&a), static_cast<const _STesselParams*>(&b),
                     sizeof(_STesselParams)) == 0;
}

// A record whose every field differs from the defaults, so that a field that
// is not written or not read shows.
CTesselParams Unusual(const char* name, uint8_t antiAliased) {
  CTesselParams p;
  std::memset(static_cast<_STesselParams*>(&p), 0, sizeof(_STesselParams));  // padding compares equal
  p.Reset();
  p.fillColor = {1, 2, 65534};
  std::strcpy(p.paletteName, name);
  p.tolerance = 300;
  p.reservedFlag = 1;
  p.randomColors = 1;
  p.measureByArea = 1;
  p.flagAreas = 1;
  p.flagColor = {10, 20, 30};
  p.flagSize = 5000000000ull;
  p.joinAreas = 1;
  p.joinSize = 18446744073709551615ull;
  p.paintAntiAliased = antiAliased;
  return p;
}

CTesselParams Loaded(const std::string& bytes, CTesselParams start = CTesselParams()) {
  std::istringstream in(bytes);
  ReadPrefsRecord(in, start);
  return start;
}

class PrefsFile : public ::testing::Test {
 protected:
  tessel::test::TempConfigHome config;
  CTessel filter;
};

TEST_F(PrefsFile, DefaultsAreWrittenAsExactly66Bytes) {
  CTesselParams defaults;
  filter.WritePrefs(defaults);
  const std::string bytes = ReadBytes(config.prefsFile());
  EXPECT_EQ(bytes.size(), 66u);
  EXPECT_EQ(bytes, kDefaultBytes);
  // Nothing else is left in the folder (no temporary file).
  EXPECT_EQ(std::distance(boost::filesystem::directory_iterator(config.path()), {}), 1);
}

TEST_F(PrefsFile, RecordsRoundTripThroughTheFile) {
  for (const CTesselParams& written : {Unusual("My Colors.aco", 0), Unusual("", 0), Unusual("", 1),
                                       Unusual(std::string(255, 'n').c_str(), 0)}) {
    filter.WritePrefs(const_cast<CTesselParams&>(written));
    CTesselParams read = Unusual("stale", 1);
    read.paletteName[200] = 'z';  // a stale byte past the old name's terminator
    filter.ReadPrefs(read);
    EXPECT_TRUE(SameRecord(read, written)) << '"' << written.paletteName << "\" AA " << int(written.paintAntiAliased);
    EXPECT_EQ(read.paintAntiAliased, written.paintAntiAliased);
  }
}

TEST_F(PrefsFile, FileEndingAfterTheNameTurnsAntiAliasingOn) {
  const std::string line1 = kDefaultBytes.substr(0, kDefaultBytes.find('\n') + 1);
  for (const std::string& name : {std::string("Pastels.aco"), std::string()}) {
    CTesselParams start;
    start.paintAntiAliased = 0;
    const CTesselParams read = Loaded(line1 + name, start);
    EXPECT_STREQ(read.paletteName, name.c_str());
    EXPECT_EQ(read.paintAntiAliased, 1) << name;
  }
}

TEST_F(PrefsFile, ForeignSignatureOrOtherVersionLoadsTheDefaults) {
  std::ostringstream out;
  WritePrefsRecord(out, Unusual("x.aco", 0));
  const std::string good = out.str();
  for (const std::string& bad :
       {"1145258561" + good.substr(good.find(' ')),  // 'DFRA', another filter
        good.substr(0, good.find(' ')) + " 2" + good.substr(good.find(' ', 11)),
        "5710893925" + good.substr(good.find(' '))}) {  // 'TeSe' with a stray high bit
    ASSERT_NE(bad, good);
    EXPECT_TRUE(SameRecord(Loaded(bad, Unusual("y", 0)), CTesselParams())) << bad;
  }
}

TEST_F(PrefsFile, UnreadableValueKeepsItAndEveryLaterValue) {
  CTesselParams start = Unusual("old.aco", 0);
  // The tolerance is not a number: fill colour read, everything after kept,
  // except the name, which is always cleared.
  const CTesselParams read = Loaded("1415926629 3 7 8 9 x", start);
  EXPECT_EQ(read.fillColor.red, 7);
  EXPECT_EQ(read.fillColor.blue, 9);
  EXPECT_EQ(read.tolerance, start.tolerance);
  EXPECT_EQ(read.flagSize, start.flagSize);
  EXPECT_STREQ(read.paletteName, "");
  EXPECT_EQ(read.paintAntiAliased, 0);
  // A file cut short in line 1 turns anti-aliasing on.
  EXPECT_EQ(Loaded("1415926629 3 7", start).paintAntiAliased, 1);
  // A value too large for its field counts as unreadable.
  EXPECT_EQ(Loaded("1415926629 3 70000", start).fillColor.red, start.fillColor.red);
}

TEST_F(PrefsFile, NoFileLeavesTheRecordAsItWas) {
  CTesselParams read = Unusual("kept.aco", 0);
  filter.ReadPrefs(read);
  EXPECT_TRUE(SameRecord(read, Unusual("kept.aco", 0)));
}

TEST(PrefsFileFolder, UnavailableFolderIsSkippedQuietly) {
  tessel::test::TempFolder root;
  tessel::test::WriteBytes(root.path() / "file", "x");
  tessel::test::ScopedEnv xdg("XDG_CONFIG_HOME", (root.path() / "file" / "config").string());
  CTessel filter;
  CTesselParams read = Unusual("kept.aco", 0);
  filter.ReadPrefs(read);
  EXPECT_TRUE(SameRecord(read, Unusual("kept.aco", 0)));
  filter.WritePrefs(read);
  EXPECT_EQ(ReadBytes(root.path() / "file"), "x");
  EXPECT_EQ(std::distance(boost::filesystem::directory_iterator(root.path()), {}), 1);
}

TEST_F(PrefsFile, WriteThatCannotCompleteKeepsThePreviousFile) {
  CTesselParams previous = Unusual("Previous.aco", 0);
  filter.WritePrefs(previous);
  const std::string before = ReadBytes(config.prefsFile());
  ASSERT_FALSE(before.empty());

  // Files may grow to 16 bytes only: the new file's first line cannot be written.
  struct sigaction ignore{}, old{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old);
  rlimit limit{}, saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = saved;
  limit.rlim_cur = 16;
  setrlimit(RLIMIT_FSIZE, &limit);
  CTesselParams next;
  filter.WritePrefs(next);
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &old, nullptr);

  EXPECT_EQ(ReadBytes(config.prefsFile()), before);
  EXPECT_EQ(std::distance(boost::filesystem::directory_iterator(config.path()), {}), 1);
}

TEST_F(PrefsFile, PathTakenByAFolderIsLeftAlone) {
  boost::filesystem::create_directory(config.prefsFile());
  boost::filesystem::create_directory(config.prefsFile() / "inside");
  CTesselParams params = Unusual("x", 0);
  filter.WritePrefs(params);
  filter.ReadPrefs(params);
  EXPECT_TRUE(SameRecord(params, Unusual("x", 0)));
  EXPECT_TRUE(boost::filesystem::is_directory(config.prefsFile() / "inside"));
  EXPECT_EQ(std::distance(boost::filesystem::directory_iterator(config.path()), {}), 1);
}

}  // namespace
