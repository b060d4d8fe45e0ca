// The whole `tessel run` on a 32 MP comic page, plain, with flats, with
// distinct flats, to layered files and with gap closing (also on the dense
// 67 MP page), each a child process as a user runs it: wall time against the
// plain run, and peak memory against the decoded page (3 bytes a pixel); and
// the flats of the same line art as an ink layer against its opaque twins.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <optional>
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
    // The line art as black ink whose coverage is its darkness, black under
    // full transparency as Krita leaves it; and that ink over white paper,
    // with transparency and without.
    base::ImageBuffer ink({page.pixels.width(), page.pixels.height(), 4, base::PlaneLayout::Interleaved, 0});
    base::ImageBuffer paper(ink.geometry());
    for (int64_t y = 0; y < ink.height(); ++y)
      for (int64_t x = 0; x < ink.width(); ++x) {
        const uint8_t level = page.pixels.at(x, y, 0);
        ink.at(x, y, 3) = static_cast<uint8_t>(255 - level);
        for (int p = 0; p < 3; ++p) paper.at(x, y, p) = level;
        paper.at(x, y, 3) = 255;
      }
    for (auto [pixels, name] : {std::pair{&ink, "ink.png"}, {&paper, "paper-rgba.png"}}) {
      io::ImageFile file{std::move(*pixels), plugInModeRGBColor, true, {}};
      io::SaveImageFile(file, path(name));
    }
    for (int64_t y = 0; y < page.pixels.height(); ++y)
      for (int64_t x = 0; x < page.pixels.width(); ++x)
        for (int p = 1; p < 3; ++p) page.pixels.at(x, y, p) = page.pixels.at(x, y, 0);
    io::SaveImageFile(page, path("paper-rgb.png"));
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

tessel::bench::TimedRun RunTessel(const char* output, const std::vector<std::string>& extra,
                                 const std::string& input = Page().pagePath()) {
  std::vector<std::string> arguments = {TESSEL_BINARY_DIR "/tessel", "run", input, "-o", Page().path(output)};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return tessel::bench::RunTimed(arguments, {"XDG_CONFIG_HOME=" + Page().config()});
}

struct RunKind {
  const char* name;  // of its counters
  const char* output;
  std::vector<std::string> options;
  std::string input = Page().pagePath();
};

// Each kind's wall and CPU time summed over the iterations, and its peak memory.
struct Turns {
  std::vector<double> seconds, cpuSeconds, peak;
};

// The runs take turns within each iteration, so that a machine whose load
// changes over the benchmark weighs on each alike; the iteration is timed by
// `kinds[timed]`. Nothing when a run failed: the benchmark is then skipped.
std::optional<Turns> TakeTurns(benchmark::State& state, const std::vector<RunKind>& kinds, size_t timed) {
  Turns turns{std::vector<double>(kinds.size(), 0), std::vector<double>(kinds.size(), 0),
              std::vector<double>(kinds.size(), 0)};
  for (auto _ : state) {
    for (size_t k = 0; k < kinds.size(); ++k) {
      const tessel::bench::TimedRun run = RunTessel(kinds[k].output, kinds[k].options, kinds[k].input);
      if (!run.ok) {
        state.SkipWithError("tessel run failed");
        return std::nullopt;
      }
      turns.seconds[k] += run.seconds;
      turns.cpuSeconds[k] += run.cpuSeconds;
      turns.peak[k] = std::max(turns.peak[k], run.peakBytes);
      if (k == timed) state.SetIterationTime(run.seconds);
    }
  }
  return turns;
}

// Timed: the run with flats under the lines.
void BM_FlatsAgainstPlainRun(benchmark::State& state) {
  const std::vector<RunKind> kinds = {{"plain", "out.png", {}},
                                      {"under_lines", "out.png", {"--under-lines"}},
                                      {"flats_only", "out.png", {"--flats-only"}},
                                      {"distinct", "out.png", {"--distinct"}},
                                      {"psd", "out.psd", {}},
                                      {"ora", "out.ora", {}}};
  const std::optional<Turns> turns = TakeTurns(state, kinds, 1);
  if (!turns) return;
  const std::vector<double> &seconds = turns->seconds, &peak = turns->peak;
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
  const std::optional<Turns> turns =
      TakeTurns(state, {{"plain", "out.png", {}, page}, {"close_gaps", "out.png", {"--close-gaps", "10"}, page}}, 1);
  if (!turns) return;
  const double plain = turns->seconds[0], closing = turns->seconds[1];
  const double plainPeak = turns->peak[0], closingPeak = turns->peak[1];
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

// --flats-only on the line art as an ink layer against the same run on its
// opaque twins, the ink over white paper with transparency (the same file's
// layout, read over paper alike) and without, taking turns likewise. Timed:
// the ink layer's run. Peak memory against the ink's decoded page (4 bytes a
// pixel) and against the opaque page it is read into (3). CPU time besides,
// which a loaded machine sways less than wall time.
void BM_InkLayerAgainstOpaqueTwin(benchmark::State& state) {
  std::vector<RunKind> kinds;
  for (const char* page : {"ink.png", "paper-rgba.png", "paper-rgb.png"})
    kinds.push_back({page, "out.png", {"--flats-only"}, Page().path(page)});
  const std::optional<Turns> turns = TakeTurns(state, kinds, 0);
  if (!turns) return;
  const std::vector<double> &seconds = turns->seconds, &cpu = turns->cpuSeconds, &peak = turns->peak;
  state.counters["ink_s"] = seconds[0] / static_cast<double>(state.iterations());
  state.counters["ink_x_opaque_rgba"] = seconds[0] / seconds[1];
  state.counters["ink_x_opaque_rgb"] = seconds[0] / seconds[2];
  state.counters["ink_cpu_x_opaque_rgba"] = cpu[0] / cpu[1];
  state.counters["ink_cpu_x_opaque_rgb"] = cpu[0] / cpu[2];
  state.counters["load"] = tessel::bench::LoadAverage();
  state.counters["ink_peak_x_page"] = peak[0] / (kDecodedBytes / 3 * 4);
  state.counters["ink_peak_x_rgb_page"] = peak[0] / kDecodedBytes;
  state.counters["opaque_rgb_peak_x_rgb_page"] = peak[2] / kDecodedBytes;
  state.counters["opaque_rgba_peak_x_page"] = peak[1] / (kDecodedBytes / 3 * 4);
}
BENCHMARK(BM_InkLayerAgainstOpaqueTwin)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace
