// The tessel command's handling of what users get wrong: each mistake is
// refused with a message that names it, the documented exit code, and
// nothing the user had is touched.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "host/PluginModule.h"
#include "tests/cli/TesselCommand.h"

namespace tessel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = boost::filesystem;

constexpr int kUsage = 2;
constexpr int kBadInput = 3;

class TesselCommandTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (work.path() / name).string(); }

  // A small RGB page, white with a black cross.
  std::string Page(const std::string& name) const {
    base::ImageBuffer pixels({40, 30, 3, base::PlaneLayout::Interleaved, 0});
    pixels.Fill({255, 255, 255});
    for (int64_t y = 0; y < 30; ++y) pixels.SetPixel(20, y, {0, 0, 0});
    io::ImageFile image{std::move(pixels), plugInModeRGBColor, false, {}};
    io::SaveImageFile(image, Path(name));
    return Path(name);
  }

  // What the folder holds, hidden temporary files included.
  std::vector<std::string> Listing(const fs::path& folder) const {
    std::vector<std::string> names;
    for (fs::directory_iterator entry(folder), end; entry != end; ++entry) names.push_back(entry->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TesselCommand tessel;
  TempFolder work;
};

TEST_F(TesselCommandTest, BadInputsAreRefusedAndTheExistingOutputStays) {
  const std::string output = Path("out.png");
  WriteBytes(output, "the user's earlier result");
  const std::string page = Page("page.png");
  const std::string whole = ReadBytes(page);
  WriteBytes(Path("cut.png"), whole.substr(0, whole.size() / 2));
  ASSERT_EQ(std::system(("convert -size 8x8 xc:'rgb(10,20,30)' -depth 32 '" + Path("deep.tif") + "'").c_str()), 0);
  ASSERT_EQ(std::system(("convert -size 8x8 xc:white -colorspace CMYK -depth 8 '" + Path("cmyk.tif") + "'").c_str()), 0);

  struct Case {
    std::string input;
    const char* saying;
  };
  const Case cases[] = {{Path("missing.png"), "No such file"},
                        {Path("cut.png"), "cut.png"},
                        {Path("deep.tif"), "32-bit"},
                        {Path("cmyk.tif"), "PNG cannot hold CMYK"}};
  for (const Case& c : cases) {
    const CommandResult result = tessel.Run({"run", c.input, "-o", output});
    EXPECT_EQ(result.exitCode, kBadInput) << c.input << ": " << result.err;
    EXPECT_THAT(result.err, HasSubstr(c.saying)) << c.input;
    EXPECT_EQ(ReadBytes(output), "the user's earlier result") << c.input;
  }
  EXPECT_THAT(Listing(work.path()), Not(testing::Contains(HasSubstr(".tessel-"))));
}

TEST_F(TesselCommandTest, CommandLineMistakesAreUsageErrors) {
  const std::string page = Page("page.png");
  const std::string original = ReadBytes(page);
  WriteBytes(Path("big.json"), R"({"format": 1e999, "version": 2})");
  struct Case {
    std::vector<std::string> arguments;
    const char* saying;
  };
  const Case cases[] = {
      {{"run", page, "-o", Path("out.png"), "--bogus"}, "--bogus"},
      {{"run", page}, "-o"},
      {{"run", page, "-o", page}, "--in-place"},
      {{"run", page, "-o", Path("./page.png")}, "is the input"},
      {{"run", page, "-o", Path("out.bmp")}, "extension"},
      {{"run", page, "-o", Path("no/such/folder/out.png")}, "cannot write into"},
      {{"run", page, "-o", Path("out.png"), "--tolerance", "300"}, "--tolerance"},
      {{"run", page, "-o", Path("out.png"), "--fill", "chartreuse-ish"}, "not a colour"},
      {{"run", page, "-o", Path("out.png"), "--join=maybe"}, "--join=maybe: a flag's value"},
      {{"run", page, "-o", Path("out.png"), "--palette", "Nowhere.aco"}, "tessel palettes"},
      {{"run", page, "-o", Path("out.png"), "--dialog"}, "display"},
      {{"run", page, "-o", Path("out.png"), "--random", "--palette", "A.aco"}, "excludes"},
      {{"run", page, "-o", Path("out.png"), "--action", Path("big.json")}, "big.json: a value cannot be read"},
      {{"frobnicate"}, "subcommand"},
  };
  for (const Case& c : cases) {
    const CommandResult result = tessel.Run(c.arguments);
    EXPECT_EQ(result.exitCode, kUsage) << c.arguments.back() << ": " << result.err;
    EXPECT_THAT(result.err, HasSubstr(c.saying)) << c.arguments.back();
  }
  EXPECT_EQ(ReadBytes(page), original);
  EXPECT_THAT(Listing(work.path()), testing::ElementsAre("big.json", "page.png"));
}

TEST_F(TesselCommandTest, UnwritableOutputFolderIsRefusedBeforeAnyWork) {
  const std::string page = Page("page.png");
  const fs::path locked = work.path() / "locked";
  fs::create_directory(locked);
  WriteBytes(locked / "out.png", "kept");
  fs::permissions(locked, fs::owner_read | fs::owner_exe);
  // Permissions do not stop the superuser; an immutable folder does.
  const bool immutable = geteuid() == 0 && std::system(("chattr +i '" + locked.string() + "' 2>/dev/null").c_str()) == 0;
  if (geteuid() == 0 && !immutable) GTEST_SKIP() << "cannot make a folder unwritable for the superuser here";

  const CommandResult result = tessel.Run({"run", page, "-o", (locked / "out.png").string()});
  if (immutable) std::system(("chattr -i '" + locked.string() + "'").c_str());
  fs::permissions(locked, fs::owner_all);
  EXPECT_EQ(result.exitCode, kUsage) << result.err;
  EXPECT_THAT(result.err, HasSubstr("cannot write into " + locked.string()));
  EXPECT_EQ(ReadBytes(locked / "out.png"), "kept");
}

TEST_F(TesselCommandTest, PalettesListsTheSwatchFilesTheDialogOffers) {
  const fs::path swatches = tessel.presets() / "Color Swatches";
  fs::create_directories(swatches / "d.aco");
  for (const char* name : {"Pastels.aco", "b.ACO", "c.txt", "Comic.aco"}) WriteBytes(swatches / name, "");
  const CommandResult result = tessel.Run({"palettes"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Comic.aco\nPastels.aco\nd.aco\n");

  const CommandResult elsewhere = tessel.Run({"palettes", "--presets", work.path().string()});
  EXPECT_EQ(elsewhere.exitCode, 0);
  EXPECT_EQ(elsewhere.out, "");
  EXPECT_THAT(elsewhere.err, HasSubstr("no swatch files"));
}

TEST_F(TesselCommandTest, AboutShowsTheFiltersText) {
  const CommandResult result = tessel.Run({"about"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_THAT(result.out + result.err, HasSubstr("Tessel v1.12"));
}

TEST_F(TesselCommandTest, AMissingModuleIsReportedWithWhereItWasLookedFor) {
  const std::string missing = Path("nowhere/Tessel.so");
  const ScopedEnv module("TESSEL_MODULE", missing);
  const CommandResult result = tessel.Run({"run", Page("page.png"), "-o", Path("out.png")});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_THAT(result.err, HasSubstr("not found; looked for " + missing));
  EXPECT_FALSE(fs::exists(Path("out.png")));
}

// The loader's own account of what a command loaded, through glibc's LD_DEBUG.
std::string LoadedLibraries(const TesselCommand& tessel, const std::vector<std::string>& arguments,
                            const fs::path& log) {
  const ScopedEnv debug("LD_DEBUG", "libs"), output("LD_DEBUG_OUTPUT", log.string()), display("DISPLAY", "");
  EXPECT_EQ(tessel.Run(arguments).exitCode, 0);
  std::string loaded;
  for (fs::directory_iterator entry(log.parent_path()), end; entry != end; ++entry)
    if (entry->path().filename().string().rfind(log.filename().string(), 0) == 0) loaded += ReadBytes(entry->path());
  return loaded;
}

TEST_F(TesselCommandTest, TheWindowLibraryIsLoadedOnlyForAWindow) {
  fs::create_directories(Path("plain"));
  fs::create_directories(Path("about"));
  const std::string page = Page("page.png");
  EXPECT_THAT(LoadedLibraries(tessel, {"run", page, "-o", Path("out.png")}, Path("plain/ld")),
              Not(HasSubstr("TesselInterface")));
  EXPECT_THAT(LoadedLibraries(tessel, {"about"}, Path("about/ld")), HasSubstr("TesselInterface"));
}

TEST_F(TesselCommandTest, WithoutTheWindowLibraryTextsGoToStandardError) {
  fs::create_directories(Path("alone"));
  fs::copy_file(fs::path(host::DefaultModulePath()), Path("alone/Tessel.so"));
  const ScopedEnv module("TESSEL_MODULE", Path("alone/Tessel.so"));
  const CommandResult result = tessel.Run({"about"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_THAT(result.err, HasSubstr("no windows can be shown"));
  EXPECT_THAT(result.out + result.err, HasSubstr("Tessel v1.12"));
}

TEST_F(TesselCommandTest, HelpNamesTheExitCodes) {
  const CommandResult result = tessel.Run({"run", "--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_THAT(result.out, HasSubstr("Exit codes"));
  EXPECT_THAT(result.out, HasSubstr("130"));
}

TEST_F(TesselCommandTest, HelpSaysWhatJobsDefaultsToAndThatMemoryMayLowerIt) {
  const CommandResult result = tessel.Run({"run", "--help"});
  EXPECT_THAT(result.out, HasSubstr("(default: one per core)"));
  EXPECT_THAT(result.out, HasSubstr("fewer while the memory available cannot hold one more page's peak"));
}

}  // namespace
}  // namespace tessel::test
