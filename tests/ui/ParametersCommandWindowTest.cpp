// The parameters selector through our host, as the editor calls it, with
// the dialog on a private display: what is listed, shown and saved.
#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <set>
#include <string>

#include "host/Host.h"
#include "persistence/PrefsFile.h"
#include "tests/ui/InterfaceHarness.h"

namespace tessel::testing {
namespace {

namespace fs = boost::filesystem;
using namespace std::chrono_literals;

// What one parameters selector left behind in the host.
struct CommandOutcome {
  int16_t result = 0;
  // The preferences file as it was when the host sized the parameter block
  // for writing ("none" when there was no file), empty when it never was.
  std::string prefsWhenBlockWritten;
  std::string block;  // the parameter block's bytes; empty when none
};

std::string FileContents(const fs::path& path) {
  std::ifstream in(path.string(), std::ios::binary);
  if (!in) return "none";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ReportString(int fd, const std::string& text) {
  const uint32_t size = static_cast<uint32_t>(text.size());
  WriteReport(fd, &size, sizeof size);
  WriteReport(fd, text.data(), text.size());
}

// Takes a string written by ReportString off the front of `report`.
std::string TakeString(std::string& report) {
  uint32_t size = 0;
  if (report.size() < sizeof size) return {};
  std::memcpy(&size, report.data(), sizeof size);
  std::string text = report.substr(sizeof size, size);
  report.erase(0, sizeof size + text.size());
  return text;
}

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
  // picker with `picked`, or with its own chooser when nothing is scripted.
  void Start(const std::optional<host::RgbBytes>& picked = std::nullopt) {
    const std::string presets = (mFolder / "presets").string();
    const fs::path prefs = PrefsFile();
    mChild = std::make_unique<ChildProcess>(
        [presets, picked, prefs](int fd) {
          host::PluginModule module(host::DefaultModulePath());
          host::Host host(module);
          host.SetPresetsFolder(presets);
          if (picked) host.colorServices().ScriptPick(*picked);
          // Every handle sized, with the preferences file at that moment.
          std::map<Handle, std::string> prefsWhenSized;
          host.handles().WatchSizes([&](Handle handle, int32_t) { prefsWhenSized[handle] = FileContents(prefs); });
          CommandOutcome outcome;
          outcome.result = host.Select(filterSelectorParameters);
          if (Handle block = host.filterRecord().parameters) {
            outcome.block = host.handles().Bytes(block);
            outcome.prefsWhenBlockWritten = prefsWhenSized[block];
          }
          WriteReport(fd, &outcome.result, sizeof outcome.result);
          ReportString(fd, outcome.prefsWhenBlockWritten);
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
      std::string rest = result.report.substr(sizeof outcome.result);
      outcome.prefsWhenBlockWritten = TakeString(rest);
      outcome.block = rest;
    }
    return outcome;
  }

  void MakeFile(const fs::path& path) { std::ofstream(path.string()) << "not read here"; }

  fs::path mFolder;
  std::unique_ptr<ChildProcess> mChild;
  std::unique_ptr<DialogDriver> mDialog;
};

TEST_F(ParametersCommand, OkSavesPreferencesAndBlockWithThePickedColor) {
  ASSERT_NO_FATAL_FAILURE(Start(host::RgbBytes{0x11, 0x22, 0x33}));
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

TEST_F(ParametersCommand, OkWritesThePreferencesBeforeTheBlock) {
  CTesselParams earlier;
  earlier.tolerance = 3;
  earlier.paintAntiAliased = 0;
  {
    std::ofstream out(PrefsFile().string(), std::ios::binary);
    WritePrefsRecord(out, earlier);
  }
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(mDialog->window());
  mDialog->Enter("toleranceEdit", "12");
  sDisplay->Key("Return");

  const CommandOutcome outcome = Finish();
  ASSERT_EQ(outcome.result, 0);
  EXPECT_EQ(BlockField<uint16_t>(outcome.block, offsetof(_STesselParams, tolerance)), 12);
  // When the block was made ready for the record, the file already held it.
  ASSERT_FALSE(outcome.prefsWhenBlockWritten.empty()) << "the host never sized the parameter block";
  EXPECT_EQ(outcome.prefsWhenBlockWritten, FileContents(PrefsFile()));
  CTesselParams saved;
  std::istringstream written(outcome.prefsWhenBlockWritten);
  ReadPrefsRecord(written, saved);
  EXPECT_EQ(saved.tolerance, 12);
}

TEST_F(ParametersCommand, FillWellOpensTheHostsColorChooser) {
  using Rgb = DialogDriver::Rgb;
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(mDialog->window()) << "the dialog did not appear";
  mDialog->Click("aaCheck");
  mDialog->Click("fillWell");
  ASSERT_TRUE(sDisplay->WaitForWindow("^Color Picker$", 30)) << "the chooser did not appear";
  // The chooser opens with its hex field holding the well's colour, selected.
  sDisplay->Type("1a2b3c");
  SaveScreenshot("color-chooser");
  sDisplay->Key("Return");
  EXPECT_EQ(mDialog->WellColor("fillWell", {0x1a, 0x2b, 0x3c}), (Rgb{0x1a, 0x2b, 0x3c}));

  mDialog->Click("fillWell");
  ASSERT_TRUE(sDisplay->WaitForWindow("^Color Picker$", 30)) << "the chooser did not appear again";
  sDisplay->Type("#ff0000");
  sDisplay->Key("Escape");
  EXPECT_EQ(mDialog->WellColor("fillWell", {0x1a, 0x2b, 0x3c}), (Rgb{0x1a, 0x2b, 0x3c}));
  ASSERT_TRUE(sDisplay->WaitForWindow("^Tessel$", 30)) << "the dialog did not take the focus back";
  sDisplay->Key("Return");

  const CommandOutcome outcome = Finish();
  EXPECT_EQ(outcome.result, 0);
  const auto fill = BlockField<_t_ASRGBColor>(outcome.block, offsetof(_STesselParams, fillColor));
  EXPECT_EQ(fill.red, 0x1a00);
  EXPECT_EQ(fill.green, 0x2b00);
  EXPECT_EQ(fill.blue, 0x3c00);
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
