// Joining on a page where it must look far: a black square on a white page
// with white specks deep inside it. The whole tessel command (wall and CPU
// time, peak resident memory against the decoded page's size) and the filter
// pass alone.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include <boost/filesystem.hpp>

#include "bench/ParameterBlock.h"
#include "engine/TesselParams.h"
#include "host/FilterSession.h"
#include "io/ImageFile.h"

namespace {

using namespace tessel;
namespace fs = boost::filesystem;

constexpr int64_t kSide = 5000;
constexpr int64_t kSquareFrom = 300;
constexpr int64_t kSquareTo = 4700;

// A folder of its own for the pages, the output and the command's per-user
// folders, removed when the benchmark is done with it.
class Workspace {
 public:
  Workspace() : mPath(fs::temp_directory_path() / fs::unique_path("tessel-join-bench-%%%%%%")) {
    fs::create_directories(mPath);
  }
  ~Workspace() {
    boost::system::error_code ignored;
    fs::remove_all(mPath, ignored);
  }
  const fs::path& path() const { return mPath; }

 private:
  fs::path mPath;
};

// White page, black square, `specks` white 2x2 specks in the black: the first
// in the middle, the others at random places.
void DrawPage(base::ImageBuffer& pixels, int specks) {
  for (int64_t y = 0; y < kSide; ++y) {
    uint8_t* row = pixels.data() + y * pixels.rowBytes();
    std::memset(row, 255, static_cast<size_t>(kSide * 3));
    if (y >= kSquareFrom && y < kSquareTo)
      std::memset(row + kSquareFrom * 3, 0, static_cast<size_t>((kSquareTo - kSquareFrom) * 3));
  }
  std::mt19937 random(7);
  std::uniform_int_distribution<int64_t> place(kSquareFrom + 2, kSquareTo - 4);
  for (int i = 0; i < specks; ++i) {
    const int64_t sx = i == 0 ? kSide / 2 : place(random);
    const int64_t sy = i == 0 ? kSide / 2 : place(random);
    for (int64_t y = sy; y < sy + 2; ++y) std::memset(pixels.data() + y * pixels.rowBytes() + sx * 3, 255, 6);
  }
}

std::string SavePage(const Workspace& space, int specks) {
  base::ImageBuffer pixels({kSide, kSide, 3, base::PlaneLayout::Interleaved, 0});
  DrawPage(pixels, specks);
  const std::string path = (space.path() / ("page-" + std::to_string(specks) + ".png")).string();
  io::ImageFile file{std::move(pixels), plugInModeRGBColor, false, {}};
  io::SaveImageFile(file, path);
  return path;
}

struct CommandRun {
  bool succeeded;
  double seconds;
  double cpuSeconds;
  double peakBytes;
};

// Runs the command under GNU time: a child forked from this process would
// count this process's pages as its own peak, one forked by time does not.
CommandRun RunTessel(const Workspace& space, const std::string& page) {
  const std::string output = (space.path() / "out.png").string();
  const std::string stats = (space.path() / "stats").string();
  const std::string home = space.path().string();
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    const std::string program = TESSEL_BINARY_DIR "/tessel";
    const char* argv[] = {"/usr/bin/time", "-f",          "%U %S %M",   "-o",   stats.c_str(),
                          program.c_str(), "run",         page.c_str(), "-o",   output.c_str(),
                          "--join",        "--join-size", "10",         nullptr};
    if (!freopen("/dev/null", "w", stdout)) _exit(127);
    execv(argv[0], const_cast<char* const*>(argv));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  double user = 0, system = 0, peakKiB = 0;
  std::ifstream measured(stats);
  const bool read = static_cast<bool>(measured >> user >> system >> peakKiB);
  return {read && WIFEXITED(status) && WEXITSTATUS(status) == 0, elapsed.count(), user + system, peakKiB * 1024};
}

// state.range(0): the number of specks.
void BM_JoinOnBlackPage(benchmark::State& state) {
  const Workspace space;
  const std::string page = SavePage(space, static_cast<int>(state.range(0)));
  double peak = 0, cpu = 0;
  for (auto _ : state) {
    const CommandRun run = RunTessel(space, page);
    if (!run.succeeded) {
      state.SkipWithError("tessel run failed");
      return;
    }
    state.SetIterationTime(run.seconds);
    peak = std::max(peak, run.peakBytes);
    cpu += run.cpuSeconds;
  }
  state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  const double decoded = static_cast<double>(kSide * kSide * 3);
  state.counters["peak_MiB"] = peak / (1 << 20);
  state.counters["peak_per_page"] = peak / decoded;
}
BENCHMARK(BM_JoinOnBlackPage)
    ->ArgName("specks")
    ->Arg(0)
    ->Arg(1)
    ->Arg(200)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The filter pass alone, through the module as the editor drives it.
void BM_FilterPassOnBlackPage(benchmark::State& state) {
  base::ImageBuffer drawn({kSide, kSide, 3, base::PlaneLayout::Interleaved, 0});
  DrawPage(drawn, static_cast<int>(state.range(0)));
  base::ImageBuffer page({kSide, kSide, 3, base::PlaneLayout::Interleaved, 0});
  host::PluginModule module(host::DefaultModulePath());
  host::FilterSession session(module);
  CTesselParams params;
  params.joinAreas = 1;
  params.joinSize = 10;
  SetParameterBlock(session, params);
  host::RunRequest request;
  request.image = &page;
  int16_t result = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(page.data(), drawn.data(), static_cast<size_t>(kSide * page.rowBytes()));
    state.ResumeTiming();
    result = session.Run(request).result;
  }
  if (result != 0) state.SkipWithError(("run failed with " + std::to_string(result)).c_str());
}
BENCHMARK(BM_FilterPassOnBlackPage)
    ->ArgName("specks")
    ->Arg(0)
    ->Arg(1)
    ->Arg(200)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
