// `tessel run` against the codec's own floor: `vips copy` of the same PNG
// with the same PNG write settings, each a whole process, taking turns, on
// the tool comparison's 67 MP page and on its 32 MP top-left corner. Wall
// and CPU time against vips', peak memory against the decoded page (3 bytes
// a pixel), and the machine's load around the runs, as other work on it
// weighs on both.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include <boost/filesystem.hpp>

#include "bench/TimedCommand.h"
#include "io/PngEncoder.h"

namespace {

namespace fs = boost::filesystem;
using tessel::bench::RunTimed;
using tessel::bench::TimedRun;

// A scratch folder for the pages and the outputs, removed at exit.
class Scratch {
 public:
  Scratch() : mFolder(fs::temp_directory_path() / fs::unique_path("tessel-codec-bench-%%%%%%")) {
    fs::create_directories(mFolder / "config");
  }
  ~Scratch() {
    boost::system::error_code ignored;
    fs::remove_all(mFolder, ignored);
  }
  std::string path(const std::string& name) const { return (mFolder / name).string(); }

  // The comparison page's top-left `width` x `height`, drawn on first use.
  std::string Page(int64_t width, int64_t height) const {
    const std::string page = path("page-" + std::to_string(width) + "x" + std::to_string(height) + ".png");
    if (!fs::exists(page) && !RunTimed({TESSEL_BINARY_DIR "/bench/tessel_comic_page", "--width",
                                        std::to_string(width), "--height", std::to_string(height), "-o", page})
                                  .ok)
      return {};
    return page;
  }

 private:
  fs::path mFolder;
};

// Timed: the tessel run.
void BM_RunAgainstVipsCopy(benchmark::State& state) {
  static const Scratch scratch;
  const int64_t width = state.range(0), height = state.range(1);
  const std::string page = scratch.Page(width, height);
  if (page.empty()) {
    state.SkipWithError("the page could not be drawn");
    return;
  }
  const std::string vipsOutput =
      scratch.path("vips.png") + "[compression=" + std::to_string(tessel::io::kPngCompression) + ",filter=none]";
  TimedRun run, copy;
  const double loadBefore = tessel::bench::LoadAverage();
  for (auto _ : state) {
    const TimedRun t = RunTimed({TESSEL_BINARY_DIR "/tessel", "run", page, "-o", scratch.path("tessel.png")},
                                {"XDG_CONFIG_HOME=" + scratch.path("config")});
    const TimedRun v = RunTimed({"/usr/bin/vips", "copy", page, vipsOutput});
    if (!t.ok || !v.ok) {
      state.SkipWithError(t.ok ? "vips copy failed (Debian: libvips-tools)" : "tessel run failed");
      return;
    }
    run.seconds += t.seconds;
    run.cpuSeconds += t.cpuSeconds;
    run.peakBytes = std::max(run.peakBytes, t.peakBytes);
    copy.seconds += v.seconds;
    copy.cpuSeconds += v.cpuSeconds;
    state.SetIterationTime(t.seconds);
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["megapixels"] = static_cast<double>(width * height) / 1e6;
  state.counters["tessel_s"] = run.seconds / runs;
  state.counters["vips_s"] = copy.seconds / runs;
  state.counters["wall_x_vips"] = run.seconds / copy.seconds;
  state.counters["cpu_x_vips"] = run.cpuSeconds / copy.cpuSeconds;
  state.counters["peak_x_page"] = run.peakBytes / (static_cast<double>(width * height) * 3.0);
  state.counters["load_before"] = loadBefore;
  state.counters["load_after"] = tessel::bench::LoadAverage();
}
BENCHMARK(BM_RunAgainstVipsCopy)
    ->ArgNames({"width", "height"})
    ->Args({6600, 10200})
    ->Args({4640, 6900})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
