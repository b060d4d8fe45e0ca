// The whole `tessel run` on a 32 MP comic page, plain, with flats, with
// distinct flats, to layered files and with gap closing (also on the dense
// 67 MP page), each a child process as a user runs it: wall time against the
// plain run, and peak memory against the decoded page (3 bytes a pixel).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "bench/FlatsPage.h"
#include "bench/TimedCommand.h"
#include "io/ImageFile.h"

namespace {

namespace fs = boost::filesystem;
using namespace tessel;

constexpr double kDecodedBytes = tessel::bench::kFlatsPageWidth * tessel::bench::kFlatsPageHeight * 3.0;
// The size tessel_comic_page draws by default.
constexpr double kDensePageWidth = 6600, kDensePageHeight = 10200;

// A scratch folder with the page in it, made once and removed at exit.
class Scratch {
 public:
  Scratch() : mFolder(fs::temp_directory_path() / fs::unique_path("tessel-flats-bench-%%%%%%")) {
    fs::create_directories(mFolder / "config");
    io::ImageFile page{tessel::bench::DrawFlatsPage(), plugInModeRGBColor, false, {}};
    io::SaveImageFile(page, pagePath());
  }
  ~Scratch() {
    boost::system::error_code ignored;
    fs::remove_all(mFolder, ignored);
  }
  std::string pagePath() const { return (mFolder / "page.png").string(); }
  // The tool comparison's dense page, drawn on first use; empty when it cannot be.
  std::string densePagePath() const {
    const std::string page = (mFolder / "dense.png").string();
    if (!fs::exists(page) && !tessel::bench::RunTimed({TESSEL_BINARY_DIR "/bench/tessel_comic_page", "-o", page}).ok)
      return {};
    return page;
  }
  std::string path(const char* name) const { return (mFolder / name).string(); }
  std::string config() const { return (mFolder / "config").string(); }

 private:
  fs::path mFolder;
};

const Scratch& Page() {
  static const Scratch scratch;
  return scratch;
}

tessel::bench::TimedRun RunTessel(const std::string& page, const char* output, const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = {TESSEL_BINARY_DIR "/tessel", "run", page, "-o", Page().path(output)};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return tessel::bench::RunTimed(arguments, {"XDG_CONFIG_HOME=" + Page().config()});
}

struct RunKind {
  const char* name;  // of its counters
  const char* output;
  std::vector<std::string> options;
};

// The runs take turns within each iteration, so that a machine whose load
// changes over the benchmark weighs on each alike. Timed: the run with flats
// under the lines.
void BM_FlatsAgainstPlainRun(benchmark::State& state) {
  Page();
  const std::vector<RunKind> kinds = {{"plain", "out.png", {}},
                                      {"under_lines", "out.png", {"--under-lines"}},
                                      {"flats_only", "out.png", {"--flats-only"}},
                                      {"distinct", "out.png", {"--distinct"}},
                                      {"psd", "out.psd", {}},
                                      {"ora", "out.ora", {}}};
  std::vector<double> seconds(kinds.size(), 0), peak(kinds.size(), 0);
  for (auto _ : state) {
    for (size_t k = 0; k < kinds.size(); ++k) {
      const tessel::bench::TimedRun run = RunTessel(Page().pagePath(), kinds[k].output, kinds[k].options);
      if (!run.ok) {
        state.SkipWithError("tessel run failed");
        return;
      }
      seconds[k] += run.seconds;
      peak[k] = std::max(peak[k], run.peakBytes);
      if (k == 1) state.SetIterationTime(run.seconds);
    }
  }
  state.counters["plain_s"] = seconds[0] / static_cast<double>(state.iterations());
  for (size_t k = 0; k < kinds.size(); ++k) {
    const std::string name = kinds[k].name;
    if (k > 0) state.counters[name + "_x_plain"] = seconds[k] / seconds[0];
    state.counters[name + "_peak_x_page"] = peak[k] / kDecodedBytes;
  }
  // What recolouring apart adds to the flats it builds on, against the plain run.
  state.counters["distinct_extra_x_plain"] = (seconds[3] - seconds[1]) / seconds[0];
}
BENCHMARK(BM_FlatsAgainstPlainRun)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

// Gap closing up to 10 pixels against the plain run, taking turns likewise,
// on the 32 MP page and on the dense 67 MP comic page of the tool comparison
// (about 148,000 regions), where costs that go with the regions' boundaries
// show. Timed: the run closing gaps.
void BM_CloseGapsAgainstPlainRun(benchmark::State& state) {
  const bool dense = state.range(0) != 0;
  const std::string page = dense ? Page().densePagePath() : Page().pagePath();
  if (page.empty()) {
    state.SkipWithError("the dense page could not be drawn");
    return;
  }
  const double loadBefore = tessel::bench::LoadAverage();
  double plain = 0, closing = 0, plainPeak = 0, closingPeak = 0;
  for (auto _ : state) {
    const tessel::bench::TimedRun without = RunTessel(page, "out.png", {});
    const tessel::bench::TimedRun with = RunTessel(page, "out.png", {"--close-gaps", "10"});
    if (!without.ok || !with.ok) {
      state.SkipWithError("tessel run failed");
      return;
    }
    plain += without.seconds;
    closing += with.seconds;
    plainPeak = std::max(plainPeak, without.peakBytes);
    closingPeak = std::max(closingPeak, with.peakBytes);
    state.SetIterationTime(with.seconds);
  }
  const double decoded = dense ? kDensePageWidth * kDensePageHeight * 3.0 : kDecodedBytes;
  state.counters["plain_s"] = plain / static_cast<double>(state.iterations());
  state.counters["close_gaps_x_plain"] = closing / plain;
  state.counters["plain_peak_x_page"] = plainPeak / decoded;
  state.counters["close_gaps_peak_x_page"] = closingPeak / decoded;
  state.counters["load_before"] = loadBefore;
  state.counters["load_after"] = tessel::bench::LoadAverage();
}
BENCHMARK(BM_CloseGapsAgainstPlainRun)
    ->ArgName("dense")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

}  // namespace
