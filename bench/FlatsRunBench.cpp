// The whole `tessel run` on a 32 MP comic page, plain and with flats, each a
// child process as a user runs it: wall time, its ratio to the plain run
// measured in the same benchmark run, and peak memory against the decoded
// page (3 bytes a pixel).
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

double gPlainSeconds = 0;  // the plain run's mean, for the others' ratio

void BM_TesselRun(benchmark::State& state, std::vector<std::string> options) {
  Page();
  double total = 0, peak = 0;
  for (auto _ : state) {
    const ChildRun run = RunTessel(options);
    if (!run.ok) {
      state.SkipWithError("tessel run failed");
      return;
    }
    state.SetIterationTime(run.seconds);
    total += run.seconds;
    peak = std::max(peak, run.peakBytes);
  }
  const double mean = total / static_cast<double>(state.iterations());
  if (options.empty()) gPlainSeconds = mean;
  else if (gPlainSeconds > 0) state.counters["x_plain"] = mean / gPlainSeconds;
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["peak_x_page"] = peak / kDecodedBytes;
}

// The plain run first: the others are measured against it.
BENCHMARK_CAPTURE(BM_TesselRun, plain, std::vector<std::string>{})
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK_CAPTURE(BM_TesselRun, under_lines, std::vector<std::string>{"--under-lines"})
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK_CAPTURE(BM_TesselRun, flats_only, std::vector<std::string>{"--flats-only"})
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

}  // namespace
