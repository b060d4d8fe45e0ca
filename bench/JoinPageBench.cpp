// The whole tessel command on a page where joining must look far: a black
// square on a white page with white specks deep inside it. Wall time and the
// command's peak resident memory, against the decoded page's size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <boost/filesystem.hpp>

#include "host/ImageFile.h"

namespace {

using namespace tessel::host;
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
std::string DrawPage(const Workspace& space, int specks) {
  ImageBuffer pixels({kSide, kSide, 3, PlaneLayout::Interleaved, 0});
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
  const std::string path = (space.path() / ("page-" + std::to_string(specks) + ".png")).string();
  ImageFile file{std::move(pixels), plugInModeRGBColor, false, {}};
  SaveImageFile(file, path);
  return path;
}

struct CommandRun {
  bool succeeded;
  double seconds;
  double peakBytes;
};

CommandRun RunTessel(const Workspace& space, const std::string& page) {
  const std::string output = (space.path() / "out.png").string();
  const std::string home = space.path().string();
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    const std::string program = TESSEL_BINARY_DIR "/tessel";
    const char* argv[] = {program.c_str(), "run", page.c_str(), "-o", output.c_str(), "--join", "--join-size", "10",
                          nullptr};
    if (!freopen("/dev/null", "w", stdout)) _exit(127);
    execv(program.c_str(), const_cast<char* const*>(argv));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return {WIFEXITED(status) && WEXITSTATUS(status) == 0, elapsed.count(), usage.ru_maxrss * 1024.0};
}

// state.range(0): the number of specks.
void BM_JoinOnBlackPage(benchmark::State& state) {
  const Workspace space;
  const std::string page = DrawPage(space, static_cast<int>(state.range(0)));
  double peak = 0;
  for (auto _ : state) {
    const CommandRun run = RunTessel(space, page);
    if (!run.succeeded) {
      state.SkipWithError("tessel run failed");
      return;
    }
    state.SetIterationTime(run.seconds);
    peak = std::max(peak, run.peakBytes);
  }
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

}  // namespace
