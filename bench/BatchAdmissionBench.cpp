// A batch of small pages with memory to spare, `tessel run FOLDER -j 2`,
// against the same batch by the command from before pages were started by
// memory (each worker took the next page itself), each a whole process,
// taking turns. The command to compare with is named by TESSEL_BASELINE (a
// tessel built from an earlier commit); without it the benchmark says so.
// Reports each one's wall time, the ratio, and the machine's load around
// the runs, as other work on it weighs on both.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "bench/TimedCommand.h"
#include "tests/support/TempFolders.h"

namespace {

namespace fs = boost::filesystem;
using tessel::bench::RunTimed;
using tessel::bench::TimedRun;

// A folder of `count` copies of the comparison page's 800 x 1100 corner
// (about 1 MP, dense); empty when it cannot be drawn.
std::string SmallPages(const tessel::test::TempFolder& scratch, int count) {
  const fs::path pages = scratch.path() / "pages";
  fs::create_directories(pages);
  const std::string first = (pages / "page-00.png").string();
  if (!RunTimed({TESSEL_BINARY_DIR "/bench/tessel_comic_page", "--width", "800", "--height", "1100", "-o", first}).ok)
    return {};
  for (int i = 1; i < count; ++i)
    fs::copy_file(first, pages / ("page-" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".png"));
  return pages.string();
}

// The batch through `tessel`, its messages left out.
TimedRun Batch(const std::string& tessel, const std::string& pages, const tessel::test::TempFolder& scratch) {
  const std::string out = (scratch.path() / "out").string();
  return RunTimed({"/bin/sh", "-c", "exec \"$0\" run \"$1\" -o \"$2\" -j 2 2>/dev/null", tessel, pages, out},
                  {"XDG_CONFIG_HOME=" + (scratch.path() / "config").string()});
}

// Timed: the batch by this build's command.
void BM_SmallPagesAgainstTheCommandBefore(benchmark::State& state) {
  const char* baseline = std::getenv("TESSEL_BASELINE");
  if (!baseline) {
    state.SkipWithError("set TESSEL_BASELINE to a tessel command built before admission by memory");
    return;
  }
  static const tessel::test::TempFolder scratch;
  static const std::string pages = SmallPages(scratch, static_cast<int>(state.range(0)));
  if (pages.empty()) {
    state.SkipWithError("the page could not be drawn");
    return;
  }
  double now = 0, before = 0;
  const double loadBefore = tessel::bench::LoadAverage();
  for (auto _ : state) {
    const TimedRun current = Batch(TESSEL_BINARY_DIR "/tessel", pages, scratch);
    const TimedRun earlier = Batch(baseline, pages, scratch);
    if (!current.ok || !earlier.ok) {
      state.SkipWithError(current.ok ? "the baseline's batch failed" : "the batch failed");
      return;
    }
    now += current.seconds;
    before += earlier.seconds;
    state.SetIterationTime(current.seconds);
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["pages"] = static_cast<double>(state.range(0));
  state.counters["now_s"] = now / runs;
  state.counters["before_s"] = before / runs;
  state.counters["now_x_before"] = now / before;
  state.counters["load_before"] = loadBefore;
  state.counters["load_after"] = tessel::bench::LoadAverage();
}
BENCHMARK(BM_SmallPagesAgainstTheCommandBefore)
    ->ArgName("pages")
    ->Arg(40)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
