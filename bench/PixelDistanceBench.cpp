// Cost of the ring generator alone: walking displacements, starting far out.
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

// Starting a search at squared distance state.range(0)², as a search for a
// far source does, and taking the first displacement there.
void BM_RingStartFar(benchmark::State& state) {
  CPixelDistance rings;
  rings.mBounds = {-30000, -30000, 30000, 30000};
  const uint64_t radius = static_cast<uint64_t>(state.range(0));
  int x = 0, y = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(rings.GetFirstFrom(x, y, radius * radius));
    benchmark::DoNotOptimize(x + y);
  }
}
BENCHMARK(BM_RingStartFar)->Arg(100)->Arg(2200);

}  // namespace
