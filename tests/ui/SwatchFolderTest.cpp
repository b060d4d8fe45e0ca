// Which entries of the "Color Swatches" folder the dialog offers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <fstream>
#include <string>
#include <vector>

#include "ui/SwatchFolder.h"

namespace tessel::ui {
namespace {

namespace fs = boost::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class SwatchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    mPresets = fs::temp_directory_path() / fs::unique_path("tessel-presets-%%%%-%%%%");
    fs::create_directories(mPresets);
  }
  void TearDown() override { fs::remove_all(mPresets); }

  fs::path Swatches() const { return mPresets / "Color Swatches"; }
  void MakeFile(const fs::path& path) { std::ofstream(path.string()) << "8BIM"; }

  std::vector<std::string> List() const { return List(mPresets.string().c_str()); }
  static std::vector<std::string> List(const char* presets) {
    std::vector<std::string> names;
    ListSwatchFiles(presets, [&names](const char* name) { names.emplace_back(name); });
    return names;
  }

  fs::path mPresets;
};

TEST_F(SwatchFolder, TakesExactlyDotAcoWhateverTheEntryIs) {
  fs::create_directories(Swatches() / "d.aco");
  MakeFile(Swatches() / "A.aco");
  MakeFile(Swatches() / "b.ACO");
  MakeFile(Swatches() / "c.txt");
  MakeFile(Swatches() / "e.aco.bak");
  MakeFile(Swatches() / "noextension");
  EXPECT_THAT(List(), UnorderedElementsAre("A.aco", "d.aco"));
}

TEST_F(SwatchFolder, HiddenEntriesAreListedToo) {
  fs::create_directories(Swatches());
  MakeFile(Swatches() / "Pastels.aco");
  MakeFile(Swatches() / "._Pastels.aco");
  MakeFile(Swatches() / ".aco");
  EXPECT_THAT(List(), UnorderedElementsAre("Pastels.aco", "._Pastels.aco", ".aco"));
}

TEST_F(SwatchFolder, NamesCarryNoFolderAndSubFoldersAreNotEntered) {
  fs::create_directories(Swatches() / "Comics");
  MakeFile(Swatches() / "Comics" / "Inner.aco");
  MakeFile(Swatches() / "Spaced name.aco");
  EXPECT_THAT(List(), ElementsAre("Spaced name.aco"));
}

TEST_F(SwatchFolder, NoFolderOrNoPathListsNothing) {
  EXPECT_TRUE(List().empty());
  EXPECT_TRUE(List("").empty());
  EXPECT_TRUE(List(nullptr).empty());
  // A file where the folder should be is as good as no folder.
  MakeFile(Swatches());
  EXPECT_TRUE(List().empty());
}

TEST_F(SwatchFolder, PresetsPathMayEndInASeparator) {
  fs::create_directories(Swatches());
  MakeFile(Swatches() / "Pastels.aco");
  EXPECT_THAT(List((mPresets.string() + "/").c_str()), ElementsAre("Pastels.aco"));
}

}  // namespace
}  // namespace tessel::ui
