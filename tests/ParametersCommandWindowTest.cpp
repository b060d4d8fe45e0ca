// The parameters selector through our host, as the editor calls it, with
// the dialog on a private display: what is listed, shown and saved.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "host/Host.h"
#include "tests/InterfaceHarness.h"

namespace tessel::testing {
namespace {

namespace fs = boost::filesystem;
using namespace std::chrono_literals;

// What one parameters selector left behind in the host.
struct CommandOutcome {
  int16_t result = 0;
  std::string block;  // the parameter block's bytes; empty when none
};

template <typename Field>
Field BlockField(const std::string& block, size_t offset) {
  Field value{};
  if (block.size() >= offset + sizeof value) std::memcpy(&value, block.data() + offset, sizeof value);
  return value;
}

class ParametersCommand : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    mFolder = fs::temp_directory_path() / fs::unique_path("tessel-parameters-%%%%-%%%%");
    fs::create_directories(mFolder / "config");
    fs::create_directories(mFolder / "presets");
  }
  void TearDown() override { fs::remove_all(mFolder); }

  fs::path Swatches() const { return mFolder / "presets" / "Color Swatches"; }
  fs::path PrefsFile() const { return mFolder / "config" / "Tessel Prefs"; }

  // Runs the parameters selector in a child whose host answers the colour
  // picker with `picked`.
  void Start(const host::RgbBytes& picked = {0, 0, 0}) {
    const std::string presets = (mFolder / "presets").string();
    mChild = std::make_unique<ChildProcess>(
        [presets, picked](int fd) {
          host::PluginModule module(host::DefaultModulePath());
          host::Host host(module);
          host.SetPresetsFolder(presets);
          host.colorServices().ScriptPick(picked);
          CommandOutcome outcome;
          outcome.result = host.Select(filterSelectorParameters);
          if (host.filterRecord().parameters) outcome.block = host.handles().Bytes(host.filterRecord().parameters);
          WriteReport(fd, &outcome.result, sizeof outcome.result);
          WriteReport(fd, outcome.block.data(), outcome.block.size());
        },
        Environment({{"XDG_CONFIG_HOME", (mFolder / "config").string()}}));
    mDialog = std::make_unique<DialogDriver>(*sDisplay);
  }

  CommandOutcome Finish() {
    const ChildResult result = mChild->Wait(60s);
    mChild.reset();
    EXPECT_TRUE(result.finished) << result.errors;
    CommandOutcome outcome;
    if (result.report.size() >= sizeof outcome.result) {
      std::memcpy(&outcome.result, result.report.data(), sizeof outcome.result);
      outcome.block = result.report.substr(sizeof outcome.result);
    }
    return outcome;
  }

  void MakeFile(const fs::path& path) { std::ofstream(path.string()) << "not read here"; }

  fs::path mFolder;
  std::unique_ptr<ChildProcess> mChild;
  std::unique_ptr<DialogDriver> mDialog;
};

TEST_F(ParametersCommand, OkSavesPreferencesAndBlockWithThePickedColor) {
  ASSERT_NO_FATAL_FAILURE(Start({0x11, 0x22, 0x33}));
  ASSERT_TRUE(mDialog->window()) << "the dialog did not appear";
  // Anti-aliased painting is on by default: the fill well opens no picker.
  mDialog->Click("fillWell");
  mDialog->Click("aaCheck");
  mDialog->Click("fillWell");
  EXPECT_EQ(mDialog->WellColor("fillWell", {0x11, 0x22, 0x33}), (DialogDriver::Rgb{0x11, 0x22, 0x33}));
  mDialog->Enter("toleranceEdit", "12");
  sDisplay->Key("Return");

  const CommandOutcome outcome = Finish();
  EXPECT_EQ(outcome.result, 0);
  ASSERT_FALSE(outcome.block.empty());
  EXPECT_EQ(BlockField<uint8_t>(outcome.block, offsetof(_STesselParams, paintAntiAliased)), 0);
  EXPECT_EQ(BlockField<uint16_t>(outcome.block, offsetof(_STesselParams, tolerance)), 12);
  const auto fill = BlockField<_t_ASRGBColor>(outcome.block, offsetof(_STesselParams, fillColor));
  EXPECT_EQ(fill.red, 0x1100);
  EXPECT_EQ(fill.green, 0x2200);
  EXPECT_EQ(fill.blue, 0x3300);
  EXPECT_TRUE(fs::exists(PrefsFile()));

  // The next dialog starts from what was saved.
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(mDialog->window());
  EXPECT_EQ(mDialog->WellColor("fillWell", {0x11, 0x22, 0x33}), (DialogDriver::Rgb{0x11, 0x22, 0x33}));
  sDisplay->Key("Escape");
  EXPECT_EQ(Finish().result, userCanceledErr);
}

TEST_F(ParametersCommand, CancelSavesNothing) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(mDialog->window());
  mDialog->Enter("joinEdit", "99");
  sDisplay->Key("Escape");
  const CommandOutcome outcome = Finish();
  EXPECT_EQ(outcome.result, userCanceledErr);
  EXPECT_TRUE(outcome.block.empty());
  EXPECT_FALSE(fs::exists(PrefsFile()));
}

TEST_F(ParametersCommand, MenuOffersExactlyTheDotAcoEntries) {
  fs::create_directories(Swatches() / "d.aco");
  MakeFile(Swatches() / "A.aco");
  MakeFile(Swatches() / "b.ACO");
  MakeFile(Swatches() / "c.txt");
  std::set<std::string> chosen;
  for (size_t item : {1, 2}) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(mDialog->window());
    ASSERT_TRUE(mDialog->ChoosePalette(item, 3));
    sDisplay->Key("Return");
    const CommandOutcome outcome = Finish();
    ASSERT_EQ(outcome.result, 0);
    EXPECT_EQ(BlockField<uint8_t>(outcome.block, offsetof(_STesselParams, randomColors)), 0);
    chosen.insert(outcome.block.c_str() + offsetof(_STesselParams, paletteName));
  }
  EXPECT_EQ(chosen, (std::set<std::string>{"A.aco", "d.aco"}));
}

TEST_F(ParametersCommand, WithoutSwatchFolderOkStillSaves) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(mDialog->window());
  sDisplay->Key("Return");
  const CommandOutcome outcome = Finish();
  EXPECT_EQ(outcome.result, 0);
  EXPECT_EQ(BlockField<uint8_t>(outcome.block, offsetof(_STesselParams, randomColors)), 1);
  EXPECT_TRUE(fs::exists(PrefsFile()));
}

}  // namespace
}  // namespace tessel::testing
