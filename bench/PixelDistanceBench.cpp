// Cost of the ring generator alone: walking displacements and growing rings.
#include <benchmark/benchmark.h>

#include "engine/PixelDistance.h"

namespace {

// One search around a seed that takes the state.range(0)-th displacement.
void BM_RingSearch(benchmark::State& state) {
  CPixelDistance rings;
  rings.mBounds = {-30000, -30000, 30000, 30000};
  const int64_t length = state.range(0);
  int x = 0, y = 0;
  for (auto _ : state) {
    bool more = rings.GetFirstXY(x, y, 0);
    for (int64_t i = 1; more && i < length; ++i) more = rings.GetNextXY(x, y);
    benchmark::DoNotOptimize(x + y);
  }
  state.SetItemsProcessed(state.iterations() * length);
}
BENCHMARK(BM_RingSearch)->Arg(16)->Arg(300)->Arg(30000);

// A new generator grown to state.range(0) rings.
void BM_RingGrowth(benchmark::State& state) {
  const int rings = static_cast<int>(state.range(0));
  for (auto _ : state) {
    CPixelDistance generator;
    while (generator.mLevels < rings) generator.AddLevel();
    benchmark::DoNotOptimize(generator.mDisplacements.size());
  }
  state.SetItemsProcessed(state.iterations() * 4 * rings * (rings + 1));
}
BENCHMARK(BM_RingGrowth)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
