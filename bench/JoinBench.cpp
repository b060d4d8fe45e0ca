// The joining pass against the scan that lists its regions, on one generated
// comic page with many small regions.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "tests/FilterFixture.h"

namespace tessel::testing {
namespace {

constexpr int64_t kWidth = 4000;
constexpr int64_t kHeight = 5600;
constexpr int kShapesPerPanel = 500;

CTesselParams JoiningParams() {
  CTesselParams params;
  params.randomColors = 1;
  params.joinAreas = 1;
  return params;
}

const Page& BlankPage() {
  static const Page page = DrawComicPage(kWidth, kHeight, 3, kShapesPerPanel, 11);
  return page;
}

// The page after the scan, with the seeds the scan listed for joining.
struct ScannedPage {
  std::vector<uint8_t> bytes;
  std::vector<JoinPoint> joinList;
};

const ScannedPage& Scanned() {
  static const ScannedPage scanned = [] {
    FilterOnPage rig(BlankPage(), plugInModeRGBColor);
    CTesselParams params = JoiningParams();
    rig.Prepare(params);
    std::srand(1);
    bool found = false;
    rig.filter.ScanImage(params, found);
    return ScannedPage{rig.page.bytes, rig.filter.mJoinList};
  }();
  return scanned;
}

void SetCounters(benchmark::State& state) {
  state.counters["regions_joined"] = static_cast<double>(Scanned().joinList.size());
  state.counters["megapixels"] = kWidth * kHeight / 1e6;
}

void BM_ScanListingSmallRegions(benchmark::State& state) {
  FilterOnPage rig(BlankPage(), plugInModeRGBColor);
  CTesselParams params = JoiningParams();
  for (auto _ : state) {
    state.PauseTiming();
    rig.page.bytes = BlankPage().bytes;
    rig.filter.mJoinList.clear();
    rig.Prepare(params);
    std::srand(1);
    state.ResumeTiming();
    bool found = false;
    rig.filter.ScanImage(params, found);
    benchmark::DoNotOptimize(found);
  }
  SetCounters(state);
}
BENCHMARK(BM_ScanListingSmallRegions)->Unit(benchmark::kMillisecond);

void BM_JoinPass(benchmark::State& state) {
  FilterOnPage rig(BlankPage(), plugInModeRGBColor);
  CTesselParams params = JoiningParams();
  for (auto _ : state) {
    state.PauseTiming();
    rig.page.bytes = Scanned().bytes;
    rig.filter.mJoinList = Scanned().joinList;
    state.ResumeTiming();
    rig.filter.DoJoinAreas(params);
  }
  SetCounters(state);
}
BENCHMARK(BM_JoinPass)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel::testing
