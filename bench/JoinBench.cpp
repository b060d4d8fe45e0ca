// The joining pass against the scan that lists its regions, on one generated
// comic page with many small regions.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "tests/engine/FilterFixture.h"

namespace tessel::testing {
namespace {

constexpr int64_t kWidth = 4000;
constexpr int64_t kHeight = 5600;
constexpr int kShapesPerPanel = 500;

// Regions at most `joinSize` pixels wide and high are listed for joining.
CTesselParams JoiningParams(uint64_t joinSize = 10) {
  CTesselParams params;
  params.randomColors = 1;
  params.joinAreas = 1;
  params.joinSize = joinSize;
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

ScannedPage Scan(uint64_t joinSize) {
  FilterOnPage rig(BlankPage(), plugInModeRGBColor);
  CTesselParams params = JoiningParams(joinSize);
  rig.Prepare(params);
  std::srand(1);
  bool found = false;
  rig.filter.ScanImage(params, found);
  return ScannedPage{rig.page.bytes, rig.filter.mJoinList};
}

const ScannedPage& Scanned() {
  static const ScannedPage scanned = Scan(10);
  return scanned;
}

// Every region listed: nothing is left to lend a colour.
const ScannedPage& AllListed() {
  static const ScannedPage scanned = Scan(kHeight);
  return scanned;
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
  state.counters["regions_listed"] = static_cast<double>(rig.filter.mJoinList.size());
}
BENCHMARK(BM_ScanListingSmallRegions)->Unit(benchmark::kMillisecond);

void JoinPass(benchmark::State& state, const ScannedPage& scanned) {
  FilterOnPage rig(BlankPage(), plugInModeRGBColor);
  CTesselParams params = JoiningParams();
  for (auto _ : state) {
    state.PauseTiming();
    rig.page.bytes = scanned.bytes;
    rig.filter.mJoinList = scanned.joinList;
    state.ResumeTiming();
    rig.filter.DoJoinAreas(params);
  }
  state.counters["regions_listed"] = static_cast<double>(scanned.joinList.size());
}

void BM_JoinPass(benchmark::State& state) { JoinPass(state, Scanned()); }
BENCHMARK(BM_JoinPass)->Unit(benchmark::kMillisecond);

void BM_JoinPassWithoutSources(benchmark::State& state) { JoinPass(state, AllListed()); }
BENCHMARK(BM_JoinPassWithoutSources)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessel::testing
