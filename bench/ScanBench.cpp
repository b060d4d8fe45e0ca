// ScanImage on a generated 600 dpi comic page (6600 x 10200 RGB, about
// 100,000 regions), default parameters, and on a page of one-pixel regions.
// Reports ms per megapixel of this thread's CPU time and the fill's working
// memory beside the image. A copy of the page gives the machine's memory floor
// at the time; a small page that stays in cache shows the scan's own cost.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

constexpr int64_t kPageWidth = 6600;
constexpr int64_t kPageHeight = 10200;
constexpr int kShapesPerPanel = 700;

// CPU time of this thread: the scan's own work, whatever else the machine runs.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double Megapixels(const Page& page) { return double(page.width * page.height) / 1e6; }

const Page& ComicPage() {
  static const Page page = DrawComicPage(kPageWidth, kPageHeight, 3, kShapesPerPanel, 2024);
  return page;
}

// How many regions the scan meets: every region listed, nothing else changed.
size_t CountRegions(const Page& page) {
  FilterOnPage rig(page, plugInModeRGBColor);
  CTesselParams params;
  params.joinAreas = 1;
  params.joinSize = std::numeric_limits<uint64_t>::max();
  rig.Prepare(params);
  bool found = false;
  rig.filter.ScanImage(params, found);
  return rig.filter.mJoinList.size();
}

// Scans fresh copies of `pristine`; the copying is not timed.
void TimeScans(benchmark::State& state, const Page& pristine, FilterOnPage& rig, CTesselParams& params) {
  double seconds = 0;
  for (auto _ : state) {
    std::memcpy(rig.page.bytes.data(), pristine.bytes.data(), pristine.bytes.size());
    std::srand(1);
    const double start = ThreadSeconds();
    rig.Prepare(params);
    bool found = false;
    benchmark::DoNotOptimize(rig.filter.ScanImage(params, found));
    const double spent = ThreadSeconds() - start;
    seconds += spent;
    state.SetIterationTime(spent);
  }
  state.counters["ms_per_MP"] = 1e3 * seconds / double(state.iterations()) / Megapixels(pristine);
}

void ScanComicPage(benchmark::State& state) {
  const Page& pristine = ComicPage();
  FilterOnPage rig(pristine, plugInModeRGBColor);
  CTesselParams params;
  params.paintAntiAliased = state.range(0);
  TimeScans(state, pristine, rig, params);
  const double extraBytes = double(rig.filter.mPendingSegments.capacity() * sizeof(FillSegment) +
                                   rig.filter.mJoinList.capacity() * sizeof(JoinPoint));
  state.counters["regions"] = double(CountRegions(pristine));
  state.counters["extra_bytes"] = extraBytes;
  state.counters["extra_pct_of_image"] = 100.0 * extraBytes / double(pristine.bytes.size());
}

void ScanSmallPage(benchmark::State& state) {
  static const Page pristine = DrawComicPage(kPageWidth / 10, kPageHeight / 10, 3, kShapesPerPanel / 100, 2024);
  FilterOnPage rig(pristine, plugInModeRGBColor);
  CTesselParams params;
  TimeScans(state, pristine, rig, params);
}

// A page of one-pixel regions (every other pixel of every other row), where
// the scan's fixed cost per region is all there is: a third of a comic
// page's regions have 16 pixels or fewer.
void ScanOnePixelRegions(benchmark::State& state) {
  constexpr int64_t kSide = 1000;
  static const Page pristine = [] {
    Page page(kSide, kSide, 3, Layout::kInterleaved);
    for (int64_t y = 0; y < kSide; ++y)
      for (int64_t x = 0; x < kSide; ++x)
        if (x % 2 || y % 2)
          for (int k = 0; k < 3; ++k) page.at(x, y, k) = 0;
    return page;
  }();
  FilterOnPage rig(pristine, plugInModeRGBColor);
  CTesselParams params;
  TimeScans(state, pristine, rig, params);
  constexpr double kRegions = double(kSide / 2) * double(kSide / 2);
  state.counters["ns_per_region"] = state.counters["ms_per_MP"] * Megapixels(pristine) * 1e6 / kRegions;
}

void CopyComicPage(benchmark::State& state) {
  const Page& pristine = ComicPage();
  std::vector<uint8_t> copy(pristine.bytes.size());
  double seconds = 0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    std::memcpy(copy.data(), pristine.bytes.data(), copy.size());
    benchmark::ClobberMemory();
    const double spent = ThreadSeconds() - start;
    seconds += spent;
    state.SetIterationTime(spent);
  }
  state.counters["ms_per_MP"] = 1e3 * seconds / double(state.iterations()) / Megapixels(pristine);
}

BENCHMARK(CopyComicPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ScanSmallPage)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ScanOnePixelRegions)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ScanComicPage)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("antiAliased")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace tessel::testing
