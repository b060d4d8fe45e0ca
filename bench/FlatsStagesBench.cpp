// Each flats stage alone on the filter's result for the 32 MP comic page, so
// that the whole-run ratios in FlatsRunBench can be traced to their steps;
// those whose cost goes with the regions also on the dense 67 MP page.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include <boost/filesystem.hpp>

#include "bench/DensePage.h"
#include "bench/FlatsPage.h"
#include "bench/HintsPage.h"
#include "bench/ParameterBlock.h"
#include "flats/Compose.h"
#include "flats/InkOverPaper.h"
#include "flats/Neighbours.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"
#include "pipeline/DistinctFlats.h"
#include "pipeline/PageFlats.h"
#include "pipeline/PageHints.h"

namespace {

using namespace tessel;


using tessel::bench::kFlatsPageHeight;
using tessel::bench::kFlatsPageWidth;

enum PageKind { kSparse, kDense };

base::ImageBuffer Draw(PageKind kind) {
  return kind == kSparse ? tessel::bench::DrawFlatsPage() : tessel::bench::DrawDensePagePixels();
}

// The page as read and the filter's random-colour result on it, made once.
struct Flatted {
  explicit Flatted(PageKind kind) : asRead(Draw(kind)), result(pipeline::KeepPage(asRead)) {
    recorded = PaintAtRandom(result);
    ok = recorded.has_value();
    mask.emplace(flats::ChangedPixels(asRead, result));
    io::ImageFile hints = tessel::bench::DrawHints(asRead);
    io::SaveImageFile(hints, hintsFile.string());
  }
  ~Flatted() {
    boost::system::error_code ignored;
    boost::filesystem::remove(hintsFile, ignored);
  }
  base::ImageBuffer asRead, result;
  // Dabs in a fifth of the regions, as the whole runs have them.
  boost::filesystem::path hintsFile =
      boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("tessel-hints-%%%%%%.png");
  std::optional<base::Descriptor> recorded;
  std::optional<flats::RegionMask> mask;
  bool ok = false;
};

const Flatted& Page(PageKind kind = kSparse) {
  static const Flatted sparse(kSparse);
  if (kind == kSparse) return sparse;
  static const Flatted dense(kDense);
  return dense;
}

const flats::RegionMask& Mask(PageKind kind = kSparse) { return *Page(kind).mask; }

PageKind KindOf(const benchmark::State& state) { return static_cast<PageKind>(state.range(0)); }

// A stage whose cost goes with the regions, on both pages, its CPU time that
// of all the threads it runs on.
void OnBothPages(benchmark::internal::Benchmark* stage) {
  stage->ArgName("dense")->Arg(kSparse)->Arg(kDense)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
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
  const Flatted& page = Page(KindOf(state));
  for (auto _ : state) {
    state.PauseTiming();
    base::ImageBuffer flats = pipeline::KeepPage(page.result);
    state.ResumeTiming();
    flats::FillUnderLines(*page.mask, flats, 3);
  }
}
BENCHMARK(BM_FillUnderLines)->Apply(OnBothPages);

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
  const Flatted& page = Page(KindOf(state));
  for (auto _ : state) benchmark::DoNotOptimize(flats::FindRegionRuns(*page.mask, page.result, 3).runs.data());
}
BENCHMARK(BM_FindRegionRuns)->Apply(OnBothPages);

void BM_FindNeighbours(benchmark::State& state) {
  const Flatted& page = Page(KindOf(state));
  const flats::RegionRuns map = flats::FindRegionRuns(*page.mask, page.result, 3);
  for (auto _ : state) benchmark::DoNotOptimize(flats::FindNeighbours(*page.mask, map).size());
}
BENCHMARK(BM_FindNeighbours)->Apply(OnBothPages);

// Recolours the page's regions as `request` asks and paints the flats alone,
// all bands at once on every core, through the page run's own step.
void RecolourAndPaint(benchmark::State& state, const Flatted& page, const pipeline::RecolourRequest& request) {
  io::ImageFile file{base::ImageBuffer(page.result.geometry()), plugInModeRGBColor, false, {}};
  base::ImageBuffer asRead = pipeline::KeepPage(page.asRead);  // only read, as no lines are merged over the flats
  pipeline::PageTimings timings;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(file.pixels.data(), page.result.data(), static_cast<size_t>(page.result.sizeBytes()));
    pipeline::FlatsOverlap found{*page.mask, std::nullopt, {}, {}};
    state.ResumeTiming();
    pipeline::RecolourSummary summary;
    pipeline::MakeFlats(asRead, file, pipeline::FlatsOutput::kFlatsOnly, request, summary, timings, std::move(found));
  }
}

// Recolouring apart as a whole, random colours: its regions, neighbours,
// colouring, and the flats painted in the new colours, under the lines too.
void BM_RecolourApart(benchmark::State& state) {
  const Flatted& page = Page(KindOf(state));
  if (!page.ok) {
    state.SkipWithError("the filter's run failed");
    return;
  }
  RecolourAndPaint(state, page, {true, &*page.recorded, "", nullptr});
}
BENCHMARK(BM_RecolourApart)->Apply(OnBothPages);

// Reading the hints file into runs of hint pixels, as a page run does beside
// the page's own reading.
void BM_ReadHints(benchmark::State& state) {
  const Flatted& page = Page(KindOf(state));
  for (auto _ : state)
    benchmark::DoNotOptimize(pipeline::ReadHints(page.hintsFile.string(), page.asRead.width(), page.asRead.height())
                                 .runs.runs.size());
}
BENCHMARK(BM_ReadHints)->Apply(OnBothPages);

// Colouring by hints as a whole, without --distinct: the regions, the hinted
// ones' colours, and the flats grown under the lines from them.
void BM_RecolourByHints(benchmark::State& state) {
  const Flatted& page = Page(KindOf(state));
  pipeline::PendingHints hints(
      pipeline::ReadHints(page.hintsFile.string(), page.asRead.width(), page.asRead.height()));
  RecolourAndPaint(state, page, {false, nullptr, "", &hints});
}
BENCHMARK(BM_RecolourByHints)->Apply(OnBothPages);

}  // namespace
