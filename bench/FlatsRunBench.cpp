// The whole `tessel run` on a 32 MP comic page, plain and with flats or gap
// closing, each a child process as a user runs it: wall time against the
// plain run, and peak memory against the decoded page (3 bytes a pixel).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "host/ImageFile.h"
#include "tests/support/LineArt.h"

namespace {

namespace fs = boost::filesystem;
using namespace tessel::host;

constexpr int64_t kWidth = 4640, kHeight = 6900;  // 32 MP, a 600 dpi page's width
constexpr double kDecodedBytes = kWidth * kHeight * 3.0;

// A scratch folder with the page in it, made once and removed at exit.
class Scratch {
 public:
  Scratch() : mFolder(fs::temp_directory_path() / fs::unique_path("tessel-flats-bench-%%%%%%")) {
    fs::create_directories(mFolder / "config");
    const tessel::testing::Page art = tessel::testing::DrawComicPage(kWidth, kHeight, 3, 120, 4);
    ImageBuffer pixels({kWidth, kHeight, 3, PlaneLayout::Interleaved, 0});
    std::memcpy(pixels.data(), art.bytes.data(), art.bytes.size());
    ImageFile page{std::move(pixels), plugInModeRGBColor, false, {}};
    SaveImageFile(page, pagePath());
  }
  ~Scratch() {
    boost::system::error_code ignored;
    fs::remove_all(mFolder, ignored);
  }
  std::string pagePath() const { return (mFolder / "page.png").string(); }
  std::string path(const char* name) const { return (mFolder / name).string(); }
  std::string config() const { return (mFolder / "config").string(); }

 private:
  fs::path mFolder;
};

const Scratch& Page() {
  static const Scratch scratch;
  return scratch;
}

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  double peakBytes = 0;
};

ChildRun RunTessel(const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = {TESSEL_BINARY_DIR "/tessel", "run", Page().pagePath(), "-o",
                                        Page().path("out.png")};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("XDG_CONFIG_HOME", Page().config().c_str(), 1);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  ChildRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.peakBytes = usage.ru_maxrss * 1024.0;
  return run;
}

// The three runs take turns within each iteration, so that a machine whose
// load changes over the benchmark weighs on each alike. Timed: the run with
// flats under the lines.
void BM_FlatsAgainstPlainRun(benchmark::State& state) {
  Page();
  const std::vector<std::vector<std::string>> kinds = {{}, {"--under-lines"}, {"--flats-only"}};
  std::vector<double> seconds(kinds.size(), 0), peak(kinds.size(), 0);
  for (auto _ : state) {
    for (size_t k = 0; k < kinds.size(); ++k) {
      const ChildRun run = RunTessel(kinds[k]);
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
  state.counters["under_lines_x_plain"] = seconds[1] / seconds[0];
  state.counters["flats_only_x_plain"] = seconds[2] / seconds[0];
  state.counters["plain_peak_x_page"] = peak[0] / kDecodedBytes;
  state.counters["under_lines_peak_x_page"] = peak[1] / kDecodedBytes;
  state.counters["flats_only_peak_x_page"] = peak[2] / kDecodedBytes;
}
BENCHMARK(BM_FlatsAgainstPlainRun)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

// Gap closing up to 10 pixels against the plain run, taking turns likewise.
// Timed: the run closing gaps.
void BM_CloseGapsAgainstPlainRun(benchmark::State& state) {
  Page();
  double plain = 0, closing = 0;
  for (auto _ : state) {
    const ChildRun without = RunTessel({}), with = RunTessel({"--close-gaps", "10"});
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
