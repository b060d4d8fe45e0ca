// Pages started in workers by a made-up memory account (a /proc tree of the
// test's own): with room for one page's peak but not two, the pages run one
// after another and every one is written; with room for all, they start
// together.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "cli/Batch.h"
#include "host/PluginModule.h"
#include "io/PngEncoder.h"
#include "tests/support/TempFolders.h"

namespace tessel::test {
namespace {

namespace fs = boost::filesystem;

constexpr int64_t kPeak = int64_t{100} << 20;

// A white page crossed by a black line at `x`, written by the encoder alone:
// this process must not have run libvips' thread pool before it forks workers.
void WritePage(const std::string& path, int64_t x) {
  std::ofstream out(path, std::ios::binary);
  for (const std::vector<uint8_t>& chunk : io::EncodePng(40, 30, 3, [x](int64_t y, uint8_t* row) {
         for (int64_t column = 0; column < 40; ++column)
           std::fill_n(row + 3 * column, 3, column == x || y == 12 ? 0 : 255);
       }))
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
}

struct Observed {
  size_t mostRunning = 0;
  size_t mostWaiting = 0;
  size_t written = 0;
};

// Runs three pages with three workers on a machine whose kernel counts
// `availableMiB` as available, each page said to peak at kPeak.
Observed RunThreePages(const host::PluginModule& module, int64_t availableMiB) {
  TempFolder work, machine;
  fs::create_directories(machine.path() / "proc");
  WriteBytes(machine.path() / "proc" / "meminfo", "MemAvailable: " + std::to_string(availableMiB * 1024) + " kB\n");
  std::vector<cli::PageJob> pages;
  for (int i = 0; i < 3; ++i) {
    const std::string input = (work.path() / ("p" + std::to_string(i) + ".png")).string();
    WritePage(input, 10 + i);
    pages.push_back({input, (work.path() / ("out" + std::to_string(i) + ".png")).string()});
  }
  cli::BatchLimits limits;
  limits.jobs = 3;
  limits.peak = [](const cli::PageJob&) { return kPeak; };
  limits.memoryRoot = machine.path().string();
  Observed seen;
  cli::BatchCallbacks callbacks;
  callbacks.state = [&seen](const cli::BatchState& state) {
    seen.mostRunning = std::max(seen.mostRunning, state.running);
    seen.mostWaiting = std::max(seen.mostWaiting, state.waitingForMemory);
  };
  const std::vector<pipeline::PageResult> results = cli::RunBatch(module, pages, {}, limits, callbacks);
  for (size_t i = 0; i < pages.size(); ++i)
    if (results[i].outcome == pipeline::PageOutcome::kDone && fs::exists(pages[i].output)) ++seen.written;
  return seen;
}

// Both batches, told on standard error; exits with 0.
[[noreturn]] void RunBothBatches() {
  TempConfigHome config;
  const host::PluginModule module(host::DefaultModulePath());
  // One and a half peaks: each page alone fits, no two do. The two pages the
  // free workers could take wait while the first runs.
  const Observed tight = RunThreePages(module, 150);
  // Room for all three: they start at once and none waits.
  const Observed roomy = RunThreePages(module, 400);
  std::fprintf(stderr,
               "tight: %zu written, at most %zu running, %zu waiting; roomy: %zu written, %zu running, %zu waiting\n",
               tight.written, tight.mostRunning, tight.mostWaiting, roomy.written, roomy.mostRunning,
               roomy.mostWaiting);
  std::exit(0);
}

// In a process started afresh (gtest's "threadsafe" death-test style runs the
// test anew in a new process): earlier tests in this one ran libvips.
TEST(BatchDeathTest, PagesThatFitOnlyOneAtATimeRunOneAfterAnother) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunBothBatches(), ::testing::ExitedWithCode(0),
              "tight: 3 written, at most 1 running, 2 waiting; roomy: 3 written, 3 running, 0 waiting");
}

}  // namespace
}  // namespace tessel::test
