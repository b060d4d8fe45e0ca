// Writing a page while the filter works on it: rows are read only once they
// are final, the file is byte for byte the one written after the filter, and
// a cancelled run leaves what was there.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "io/BandedPng.h"
#include "io/OverlappedWrite.h"
#include "io/PageFile.h"
#include "io/PendingOutput.h"
#include "pipeline/PageFlats.h"
#include "pipeline/PagePass.h"
#include "pipeline/PageRun.h"
#include "tests/support/LineArt.h"
#include "tests/support/RunFixture.h"

namespace tessel::test {
namespace {

using namespace host;

class OverlappedWriteTest : public RunFixture {
 protected:
  std::string Path(const std::string& name) const { return (folder.path() / name).string(); }

  // A comic page of a few hundred regions, saved as `name`; with
  // transparency, of every degree.
  std::string ComicPage(const std::string& name, bool transparency = false) const {
    const testing::Page art = testing::DrawComicPage(300, 450, 3, 40, 9);
    base::ImageBuffer pixels({art.width, art.height, transparency ? 4 : 3, base::PlaneLayout::Interleaved, 0});
    for (int64_t y = 0; y < art.height; ++y)
      for (int64_t x = 0; x < art.width; ++x) {
        for (int p = 0; p < 3; ++p) pixels.at(x, y, p) = art.bytes[static_cast<size_t>((y * art.width + x) * 3 + p)];
        if (transparency) pixels.at(x, y, 3) = static_cast<uint8_t>(x * 5 + y * 3);
      }
    io::ImageFile page{std::move(pixels), plugInModeRGBColor, transparency, {}};
    io::SaveImageFile(page, Path(name));
    return Path(name);
  }

  // The page filtered whole and only then written, as runs that wait do.
  std::string WrittenAfterTheFilter(const std::string& input, const CTesselParams& params) {
    io::ImageFile page = io::LoadImageFile(input);
    host::SeedPaintColors();
    host::RunRequest request{&page.pixels, page.imageMode, false, DescriptorOf(params), false, presets.path().string()};
    EXPECT_EQ(RunCaptured(request).result, noErr);
    io::SaveImageFile(page, Path("reference.png"));
    return ReadBytes(Path("reference.png"));
  }

  // The flats of the page with the default parameters, written only after
  // the whole pass, as the GIMP plug-in and the C interface make them; of the
  // page read as a run of flats reads it, over paper.
  std::string FlatsWrittenAfterThePass(const std::string& input, pipeline::FlatsOutput flats) {
    io::ImageFile page = io::PageFile(input, io::Transparency::kOverPaper).Load();
    host::RunRequest request;
    request.replay = DescriptorOf(CTesselParams());
    request.presetsFolder = presets.path().string();
    pipeline::PassSteps steps;
    steps.flats = flats;
    pipeline::PageTimings timings;
    EXPECT_EQ(pipeline::RunPagePass(session, page, request, steps, timings).report.result, noErr);
    io::SavePngInBands(page, Path("reference.png"));
    return ReadBytes(Path("reference.png"));
  }

  TempFolder folder;
};

TEST_F(OverlappedWriteTest, RowsAreReadOnlyOnceReleased) {
  io::ImageFile page{base::ImageBuffer({64, 300, 3, base::PlaneLayout::Interleaved, 0}), plugInModeRGBColor, false, {}};
  const auto shade = [](int64_t x, int64_t y, int p) { return static_cast<uint8_t>(x * 3 + y * 7 + p * 50); };
  {
    io::OverlappedWrite write(page, Path("rows.png"));
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
  const io::ImageFile written = io::LoadImageFile(Path("rows.png"));
  EXPECT_EQ(written.pixels.FirstDifference(page.pixels), std::nullopt);
}

TEST_F(OverlappedWriteTest, OutputIsTheFileWrittenAfterTheFilter) {
  const std::string input = ComicPage("page.png");
  host::PluginModule module(host::DefaultModulePath());
  CTesselParams flagging;
  flagging.flagAreas = 1;
  flagging.flagSize = 30;
  // Defaults write during the scan; flagging waits for the whole page.
  for (const CTesselParams& params : {CTesselParams(), flagging}) {
    pipeline::RunSettings settings;
    settings.presetsFolder = presets.path().string();
    settings.replay = DescriptorOf(params);
    const pipeline::PageResult result = pipeline::RunPage(module, input, Path("out.png"), settings, {});
    ASSERT_EQ(result.outcome, pipeline::PageOutcome::kDone) << result.message;
    EXPECT_EQ(ReadBytes(Path("out.png")), WrittenAfterTheFilter(input, params)) << "flagging " << +params.flagAreas;
  }
}

TEST_F(OverlappedWriteTest, CancelledRunLeavesTheOutputAsItWas) {
  const std::string input = ComicPage("page.png");
  WriteBytes(folder.path() / "out.png", "what the user had");
  host::PluginModule module(host::DefaultModulePath());
  // With flats, the regions were being found beside the scan.
  for (const pipeline::FlatsOutput flats : {pipeline::FlatsOutput::kNone, pipeline::FlatsOutput::kUnderLines}) {
    pipeline::RunSettings settings;
    settings.presetsFolder = presets.path().string();
    settings.flats = flats;
    int32_t rowsDone = 0;
    pipeline::PageHooks hooks{[&](int32_t done, int32_t) { rowsDone = done; }, [&] { return rowsDone >= 200; }};
    const pipeline::PageResult result = pipeline::RunPage(module, input, Path("out.png"), settings, hooks);
    EXPECT_EQ(result.outcome, pipeline::PageOutcome::kCancelled);
    EXPECT_EQ(ReadBytes(Path("out.png")), "what the user had");
    EXPECT_EQ(std::distance(boost::filesystem::directory_iterator(folder.path()), {}), 2);  // page and output only
  }
}

// Flats are written band by band as they are made, merged rows from a
// buffer of their own: the file must not tell.
TEST_F(OverlappedWriteTest, FlatsAreTheFileWrittenAfterTheWholePass) {
  host::PluginModule module(host::DefaultModulePath());
  for (const bool transparency : {false, true}) {
    const std::string input = ComicPage("page.png", transparency);
    for (const pipeline::FlatsOutput flats : {pipeline::FlatsOutput::kUnderLines, pipeline::FlatsOutput::kFlatsOnly}) {
      pipeline::RunSettings settings;
      settings.presetsFolder = presets.path().string();
      settings.replay = DescriptorOf(CTesselParams());
      settings.flats = flats;
      const pipeline::PageResult result = pipeline::RunPage(module, input, Path("out.png"), settings, {});
      ASSERT_EQ(result.outcome, pipeline::PageOutcome::kDone) << result.message;
      EXPECT_EQ(ReadBytes(Path("out.png")), FlatsWrittenAfterThePass(input, flats))
          << "transparency " << transparency << ", flats only " << (flats == pipeline::FlatsOutput::kFlatsOnly);
    }
  }
}

TEST_F(OverlappedWriteTest, FlatsFailingAfterTheirFirstBandLeaveTheOutputAsItWas) {
  io::ImageFile page = io::LoadImageFile(ComicPage("page.png"));
  WriteBytes(folder.path() / "out.png", "what the user had");
  base::ImageBuffer asRead = pipeline::KeepPage(page.pixels);
  for (int64_t y = 0; y < page.pixels.height(); y += 7) page.pixels.at(y % 300, y, 0) ^= 1;  // a few regions
  pipeline::PageTimings timings;
  int64_t released = 0;
  {
    io::PendingOutput pending(Path("out.png"));
    std::optional<io::OverlappedWrite> write;
    const auto failAfterFirstBand = [&](int64_t rows) {
      if (!write) write.emplace(page, pending.temporaryPath());
      write->RowsFinal(rows);
      released = rows;
      if (rows < page.pixels.height()) throw std::runtime_error("no room left");
    };
    pipeline::FlatsOverlap overlap{std::nullopt, std::nullopt, {}, failAfterFirstBand};
    pipeline::RecolourSummary unused;
    EXPECT_THROW(pipeline::MakeFlats(asRead, page, pipeline::FlatsOutput::kUnderLines, {}, unused, timings,
                                     std::move(overlap)),
                 std::runtime_error);
  }
  EXPECT_GT(released, 0);
  EXPECT_EQ(ReadBytes(Path("out.png")), "what the user had");
  EXPECT_EQ(std::distance(boost::filesystem::directory_iterator(folder.path()), {}), 2);  // page and output only
}

}  // namespace
}  // namespace tessel::test
