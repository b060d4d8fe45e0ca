// The whole `tessel run` on the 32 MP comic page and on the dense 67 MP one,
// plain, with flats, with distinct flats, with hints in a fifth of the
// regions, to layered files and with gap closing, each a child process as a
// user runs it: wall time against the plain run, and peak memory against the
// decoded page (3 bytes a pixel).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "bench/DensePage.h"
#include "bench/FlatsPage.h"
#include "bench/HintsPage.h"
#include "bench/TimedCommand.h"
#include "io/ImageFile.h"

namespace {

namespace fs = boost::filesystem;
using namespace tessel;

enum PageKind { kSparse, kDense };

// A scratch folder with the pages and their hints in it, each made on first
// use, and removed at exit.
class Scratch {
 public:
  Scratch() : mFolder(fs::temp_directory_path() / fs::unique_path("tessel-flats-bench-%%%%%%")) {
    fs::create_directories(mFolder / "config");
  }
  ~Scratch() {
    boost::system::error_code ignored;
    fs::remove_all(mFolder, ignored);
  }
  std::string pagePath(PageKind kind) {
    const std::string page = path(kind == kSparse ? "page.png" : "dense.png");
    if (fs::exists(page)) return page;
    io::ImageFile image{Draw(kind), plugInModeRGBColor, false, {}};
    io::ImageFile hints = tessel::bench::DrawHints(image.pixels);
    mDecodedBytes[kind] = static_cast<double>(image.pixels.width() * image.pixels.height() * 3);
    io::SaveImageFile(hints, hintsPath(kind));
    io::SaveImageFile(image, page);
    return page;
  }
  std::string hintsPath(PageKind kind) const { return path(kind == kSparse ? "hints.png" : "dense-hints.png"); }
  double decodedBytes(PageKind kind) const { return mDecodedBytes[kind]; }
  std::string path(const char* name) const { return (mFolder / name).string(); }
  std::string config() const { return (mFolder / "config").string(); }

 private:
  static base::ImageBuffer Draw(PageKind kind) {
    return kind == kSparse ? tessel::bench::DrawFlatsPage() : tessel::bench::DrawDensePagePixels();
  }

  fs::path mFolder;
  double mDecodedBytes[2] = {0, 0};
};

Scratch& Pages() {
  static Scratch scratch;
  return scratch;
}

tessel::bench::TimedRun RunTessel(PageKind kind, const char* output, const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = {TESSEL_BINARY_DIR "/tessel", "run", Pages().pagePath(kind), "-o",
                                        Pages().path(output)};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return tessel::bench::RunTimed(arguments, {"XDG_CONFIG_HOME=" + Pages().config()});
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
  const auto kind = static_cast<PageKind>(state.range(0));
  Pages().pagePath(kind);  // drawn with its hints on first use
  const std::string hints = Pages().hintsPath(kind);
  const std::vector<RunKind> kinds = {{"plain", "out.png", {}},
                                      {"under_lines", "out.png", {"--under-lines"}},
                                      {"flats_only", "out.png", {"--flats-only"}},
                                      {"distinct", "out.png", {"--distinct"}},
                                      {"hints", "out.png", {"--hints", hints}},
                                      {"flats_only_hints", "out.png", {"--flats-only", "--hints", hints}},
                                      {"psd", "out.psd", {}},
                                      {"ora", "out.ora", {}}};
  std::vector<double> seconds(kinds.size(), 0), peak(kinds.size(), 0);
  const double loadBefore = tessel::bench::LoadAverage();
  for (auto _ : state) {
    for (size_t k = 0; k < kinds.size(); ++k) {
      const tessel::bench::TimedRun run = RunTessel(kind, kinds[k].output, kinds[k].options);
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
    state.counters[name + "_peak_x_page"] = peak[k] / Pages().decodedBytes(kind);
  }
  // What recolouring apart, and colouring by hints, add to the flats they
  // build on, against the plain run; and hints against the flats alone.
  state.counters["distinct_extra_x_plain"] = (seconds[3] - seconds[1]) / seconds[0];
  state.counters["hints_extra_x_plain"] = (seconds[4] - seconds[1]) / seconds[0];
  state.counters["flats_only_hints_x_flats_only"] = seconds[5] / seconds[2];
  state.counters["load"] = (loadBefore + tessel::bench::LoadAverage()) / 2;
}
BENCHMARK(BM_FlatsAgainstPlainRun)
    ->ArgName("dense")
    ->Arg(kSparse)
    ->Arg(kDense)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

// Gap closing up to 10 pixels against the plain run, taking turns likewise.
// Timed: the run closing gaps.
void BM_CloseGapsAgainstPlainRun(benchmark::State& state) {
  double plain = 0, closing = 0;
  for (auto _ : state) {
    const tessel::bench::TimedRun without = RunTessel(kSparse, "out.png", {}),
                                  with = RunTessel(kSparse, "out.png", {"--close-gaps", "10"});
    if (!without.ok || !with.ok) {
      state.SkipWithError("tessel run failed");
      return;
    }
    plain += without.seconds;
    closing += with.seconds;
    state.SetIterationTime(with.seconds);
  }
  state.counters["plain_s"] = plain / static_cast<double>(state.iterations());
  state.counters["close_gaps_x_plain"] = closing / plain;
}
BENCHMARK(BM_CloseGapsAgainstPlainRun)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace
