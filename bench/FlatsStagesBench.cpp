// Each flats stage alone on the filter's result for a 32 MP comic page, so
// that the whole-run ratios in FlatsRunBench can be traced to their steps.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "bench/FlatsPage.h"
#include "bench/ParameterBlock.h"
#include "flats/Compose.h"
#include "flats/InkOverPaper.h"
#include "flats/Neighbours.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"
#include "host/FilterSession.h"
#include "pipeline/PageFlats.h"

namespace {

using namespace tessel;


using tessel::bench::kFlatsPageHeight;
using tessel::bench::kFlatsPageWidth;

// The page as read and the filter's random-colour result on it, made once.
struct Flatted {
  Flatted() : asRead(tessel::bench::DrawFlatsPage()), result(pipeline::KeepPage(asRead)) {
    host::PluginModule module(host::DefaultModulePath());
    host::FilterSession session(module);
    CTesselParams params;
    params.randomColors = 1;
    SetParameterBlock(session, params);
    host::RunRequest request;
    request.image = &result;
    request.replay = base::Descriptor();
    host::SeedPaintColors();
    host::RunReport report = session.Run(request);
    ok = report.result == 0 && report.recorded;
    if (ok) recorded = std::move(*report.recorded);
  }
  base::ImageBuffer asRead, result;
  std::optional<base::Descriptor> recorded;
  bool ok = false;
};

const Flatted& Page() {
  static const Flatted page;
  return page;
}

const flats::RegionMask& Mask() {
  static const flats::RegionMask mask = flats::ChangedPixels(Page().asRead, Page().result);
  return mask;
}

void BM_KeepPage(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(pipeline::KeepPage(Page().asRead).data());
}
BENCHMARK(BM_KeepPage)->Unit(benchmark::kMillisecond);

// The line art as black ink on transparency laid over paper, in place, the
// ink put back between passes.
void BM_InkOverPaper(benchmark::State& state) {
  base::ImageBuffer ink({kFlatsPageWidth, kFlatsPageHeight, 4, base::PlaneLayout::Interleaved, 0});
  for (int64_t y = 0; y < kFlatsPageHeight; ++y)
    for (int64_t x = 0; x < kFlatsPageWidth; ++x) ink.at(x, y, 3) = static_cast<uint8_t>(255 - Page().asRead.at(x, y, 0));
  base::ImageBuffer page = pipeline::KeepPage(ink);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(page.data(), ink.data(), static_cast<size_t>(ink.sizeBytes()));
    state.ResumeTiming();
    flats::InkOverPaper(page);
    benchmark::DoNotOptimize(page.data());
  }
}
BENCHMARK(BM_InkOverPaper)->Unit(benchmark::kMillisecond);

void BM_ChangedPixels(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(flats::ChangedPixels(Page().asRead, Page().result).empty());
}
BENCHMARK(BM_ChangedPixels)->Unit(benchmark::kMillisecond);

void BM_FillUnderLines(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    base::ImageBuffer flats = pipeline::KeepPage(Page().result);
    state.ResumeTiming();
    flats::FillUnderLines(Mask(), flats, 3);
  }
}
BENCHMARK(BM_FillUnderLines)->Unit(benchmark::kMillisecond);

// Band after band on one thread, as when the rows are written as they are done.
void BM_FillUnderLinesInBands(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    base::ImageBuffer flats = pipeline::KeepPage(Page().result);
    state.ResumeTiming();
    for (int64_t begin = 0; begin < flats.height(); begin += state.range(0))
      flats::FillUnderLines(Mask(), flats, 3, begin, std::min(begin + state.range(0), flats.height()));
  }
}
BENCHMARK(BM_FillUnderLinesInBands)->Arg(256)->Arg(1024)->Arg(kFlatsPageHeight)->Unit(benchmark::kMillisecond);

void BM_MultiplyOver(benchmark::State& state) {
  base::ImageBuffer flats = pipeline::KeepPage(Page().result);
  for (auto _ : state) flats::MultiplyOver(Page().asRead, flats, 3);
}
BENCHMARK(BM_MultiplyOver)->Unit(benchmark::kMillisecond);

void BM_FindRegionRuns(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(flats::FindRegionRuns(Mask(), Page().result, 3).runs.data());
}
BENCHMARK(BM_FindRegionRuns)->Unit(benchmark::kMillisecond);

void BM_FindNeighbours(benchmark::State& state) {
  const flats::RegionRuns map = flats::FindRegionRuns(Mask(), Page().result, 3);
  for (auto _ : state) benchmark::DoNotOptimize(flats::FindNeighbours(Mask(), map).neighbours.size());
}
BENCHMARK(BM_FindNeighbours)->Unit(benchmark::kMillisecond);

// Recolouring apart as a whole, random colours: its regions, neighbours,
// colouring, and painting under the lines, which takes FillUnderLines' place.
void BM_MakeDistinct(benchmark::State& state) {
  if (!Page().ok) {
    state.SkipWithError("the filter's run failed");
    return;
  }
  io::ImageFile file{base::ImageBuffer({kFlatsPageWidth, kFlatsPageHeight, 3}), plugInModeRGBColor, false, {}};
  pipeline::PageTimings timings;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(file.pixels.data(), Page().result.data(), static_cast<size_t>(Page().result.sizeBytes()));
    state.ResumeTiming();
    benchmark::DoNotOptimize(pipeline::MakeDistinct(Mask(), file, 3, *Page().recorded, "", timings).used);
  }
}
BENCHMARK(BM_MakeDistinct)->Unit(benchmark::kMillisecond);

}  // namespace
