// Writing a page while the filter works on it: rows are read only once they
// are final, the file is byte for byte the one written after the filter, and
// a cancelled run leaves what was there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "host/OverlappedWrite.h"
#include "host/PageRun.h"
#include "tests/RunFixture.h"
#include "tests/support/LineArt.h"

namespace tessel::test {
namespace {

using namespace host;

class OverlappedWriteTest : public RunFixture {
 protected:
  std::string Path(const std::string& name) const { return (folder.path() / name).string(); }

  // A comic page of a few hundred regions, saved as `name`.
  std::string ComicPage(const std::string& name) const {
    const testing::Page art = testing::DrawComicPage(300, 450, 3, 40, 9);
    ImageBuffer pixels({art.width, art.height, 3, PlaneLayout::Interleaved, 0});
    std::memcpy(pixels.data(), art.bytes.data(), art.bytes.size());
    ImageFile page{std::move(pixels), plugInModeRGBColor, false, {}};
    SaveImageFile(page, Path(name));
    return Path(name);
  }

  // The page filtered whole and only then written, as runs that wait do.
  std::string WrittenAfterTheFilter(const std::string& input, const CTesselParams& params) {
    ImageFile page = LoadImageFile(input);
    SeedPaintColors();
    RunRequest request{&page.pixels, page.imageMode, false, DescriptorOf(params), false, presets.path().string()};
    EXPECT_EQ(RunCaptured(request).result, noErr);
    SaveImageFile(page, Path("reference.png"));
    return ReadBytes(Path("reference.png"));
  }

  TempFolder folder;
};

TEST_F(OverlappedWriteTest, RowsAreReadOnlyOnceReleased) {
  ImageFile page{ImageBuffer({64, 300, 3, PlaneLayout::Interleaved, 0}), plugInModeRGBColor, false, {}};
  const auto shade = [](int64_t x, int64_t y, int p) { return static_cast<uint8_t>(x * 3 + y * 7 + p * 50); };
  {
    OverlappedWrite write(page, Path("rows.png"));
    // Time for a writer that did not wait to read the blank page.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int64_t top = 0; top < 300; top += 25) {
      for (int64_t y = top; y < top + 25; ++y)
        for (int64_t x = 0; x < 64; ++x)
          for (int p = 0; p < 3; ++p) page.pixels.at(x, y, p) = shade(x, y, p);
      write.RowsFinal(top + 25);
    }
    write.Finish();
  }
  const ImageFile written = LoadImageFile(Path("rows.png"));
  EXPECT_EQ(written.pixels.FirstDifference(page.pixels), std::nullopt);
}

TEST_F(OverlappedWriteTest, OutputIsTheFileWrittenAfterTheFilter) {
  const std::string input = ComicPage("page.png");
  PluginModule module(DefaultModulePath());
  CTesselParams flagging;
  flagging.flagAreas = 1;
  flagging.flagSize = 30;
  // Defaults write during the scan; flagging waits for the whole page.
  for (const CTesselParams& params : {CTesselParams(), flagging}) {
    RunSettings settings;
    settings.presetsFolder = presets.path().string();
    settings.replay = DescriptorOf(params);
    const PageResult result = RunPage(module, input, Path("out.png"), settings, {});
    ASSERT_EQ(result.outcome, PageOutcome::kDone) << result.message;
    EXPECT_EQ(ReadBytes(Path("out.png")), WrittenAfterTheFilter(input, params)) << "flagging " << +params.flagAreas;
  }
}

TEST_F(OverlappedWriteTest, CancelledRunLeavesTheOutputAsItWas) {
  const std::string input = ComicPage("page.png");
  WriteBytes(folder.path() / "out.png", "what the user had");
  PluginModule module(DefaultModulePath());
  RunSettings settings;
  settings.presetsFolder = presets.path().string();
  int32_t rowsDone = 0;
  PageHooks hooks{[&](int32_t done, int32_t) { rowsDone = done; }, [&] { return rowsDone >= 200; }};
  const PageResult result = RunPage(module, input, Path("out.png"), settings, hooks);
  EXPECT_EQ(result.outcome, PageOutcome::kCancelled);
  EXPECT_EQ(ReadBytes(Path("out.png")), "what the user had");
  EXPECT_EQ(std::distance(boost::filesystem::directory_iterator(folder.path()), {}), 2);  // page and output only
}

}  // namespace
}  // namespace tessel::test
