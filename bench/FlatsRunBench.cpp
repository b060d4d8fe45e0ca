// The whole `tessel run` on the 32 MP comic page and on the dense 67 MP one,
// plain, with flats, with distinct flats, with hints in a fifth of the
// regions, to layered files and with gap closing, each a child process as a
// user runs it: wall time against the plain run, and peak memory against the
// decoded page (3 bytes a pixel); and the flats of the 32 MP page's line art
// as an ink layer against its opaque twins.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <optional>
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
// use (the 32 MP page with its ink twins), and removed at exit.
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
    if (kind == kSparse) SaveInkTwins(image);
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

  // The line art of `page` (grey on white, made grey in all its planes here)
  // as black ink whose coverage is its darkness, black under full
  // transparency as Krita leaves it; and that ink over white paper, with
  // transparency and without.
  void SaveInkTwins(io::ImageFile& page) const {
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

  fs::path mFolder;
  double mDecodedBytes[2] = {0, 0};
};

Scratch& Pages() {
  static Scratch scratch;
  return scratch;
}

tessel::bench::TimedRun RunTessel(const std::string& input, const char* output, const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = {TESSEL_BINARY_DIR "/tessel", "run", input, "-o", Pages().path(output)};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return tessel::bench::RunTimed(arguments, {"XDG_CONFIG_HOME=" + Pages().config()});
}

struct RunKind {
  const char* name;  // of its counters
  const char* output;
  std::vector<std::string> options;
  std::string input;  // the page
};

// Each kind's typical turn: the median over the iterations of its wall and
// CPU time, so that one run caught by a stall weighs no more than the rest;
// and its peak memory.
struct Turns {
  std::vector<double> seconds, cpuSeconds, peak;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The runs take turns within each iteration, so that a machine whose load
// changes over the benchmark weighs on each alike, and each iteration starts
// one kind further on: a run pays for the fresh memory its machine has to
// find again after the run before it (on a virtual machine, at times many
// times what the work costs), so no kind always follows the same one. The
// iteration is timed by `kinds[timed]`. Nothing when a run failed: the
// benchmark is then skipped.
std::optional<Turns> TakeTurns(benchmark::State& state, const std::vector<RunKind>& kinds, size_t timed) {
  std::vector<std::vector<double>> wall(kinds.size()), cpu(kinds.size());
  Turns turns{{}, {}, std::vector<double>(kinds.size(), 0)};
  size_t first = 0;
  for (auto _ : state) {
    for (size_t turn = 0; turn < kinds.size(); ++turn) {
      const size_t k = (first + turn) % kinds.size();
      const tessel::bench::TimedRun run = RunTessel(kinds[k].input, kinds[k].output, kinds[k].options);
      if (!run.ok) {
        state.SkipWithError("tessel run failed");
        return std::nullopt;
      }
      wall[k].push_back(run.seconds);
      cpu[k].push_back(run.cpuSeconds);
      turns.peak[k] = std::max(turns.peak[k], run.peakBytes);
      if (k == timed) state.SetIterationTime(run.seconds);
    }
    ++first;
  }
  for (size_t k = 0; k < kinds.size(); ++k) {
    turns.seconds.push_back(Median(wall[k]));
    turns.cpuSeconds.push_back(Median(cpu[k]));
  }
  return turns;
}

// A whole-run benchmark on both pages, five turns of each, timed by hand.
void OnBothPages(benchmark::internal::Benchmark* runs) {
  runs->ArgName("dense")->Arg(kSparse)->Arg(kDense)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();
}

// Timed: the run with flats under the lines.
void BM_FlatsAgainstPlainRun(benchmark::State& state) {
  const auto kind = static_cast<PageKind>(state.range(0));
  const std::string page = Pages().pagePath(kind), hints = Pages().hintsPath(kind);
  const std::vector<RunKind> kinds = {{"plain", "out.png", {}, page},
                                      {"under_lines", "out.png", {"--under-lines"}, page},
                                      {"flats_only", "out.png", {"--flats-only"}, page},
                                      {"distinct", "out.png", {"--distinct"}, page},
                                      {"hints", "out.png", {"--hints", hints}, page},
                                      {"flats_only_hints", "out.png", {"--flats-only", "--hints", hints}, page},
                                      {"psd", "out.psd", {}, page},
                                      {"ora", "out.ora", {}, page}};
  const double loadBefore = tessel::bench::LoadAverage();
  const std::optional<Turns> turns = TakeTurns(state, kinds, 1);
  if (!turns) return;
  const std::vector<double> &seconds = turns->seconds, &peak = turns->peak;
  state.counters["plain_s"] = seconds[0];
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
BENCHMARK(BM_FlatsAgainstPlainRun)->Apply(OnBothPages);

// Gap closing up to 10 pixels against the plain run, taking turns likewise,
// on the 32 MP page and on the dense 67 MP comic page of the tool comparison
// (about 148,000 regions), where costs that go with the regions' boundaries
// show. Timed: the run closing gaps.
void BM_CloseGapsAgainstPlainRun(benchmark::State& state) {
  const auto kind = static_cast<PageKind>(state.range(0));
  const std::string page = Pages().pagePath(kind);
  const double loadBefore = tessel::bench::LoadAverage();
  const std::optional<Turns> turns =
      TakeTurns(state, {{"plain", "out.png", {}, page}, {"close_gaps", "out.png", {"--close-gaps", "10"}, page}}, 1);
  if (!turns) return;
  const double plain = turns->seconds[0], closing = turns->seconds[1];
  const double plainPeak = turns->peak[0], closingPeak = turns->peak[1];
  const double decoded = Pages().decodedBytes(kind);
  state.counters["plain_s"] = plain;
  state.counters["close_gaps_x_plain"] = closing / plain;
  state.counters["plain_peak_x_page"] = plainPeak / decoded;
  state.counters["close_gaps_peak_x_page"] = closingPeak / decoded;
  state.counters["load_before"] = loadBefore;
  state.counters["load_after"] = tessel::bench::LoadAverage();
}
BENCHMARK(BM_CloseGapsAgainstPlainRun)->Apply(OnBothPages);

// --flats-only on the line art as an ink layer against the same run on its
// opaque twins, the ink over white paper with transparency (the same file's
// layout, read over paper alike) and without, taking turns likewise. Timed:
// the ink layer's run. Peak memory against the ink's decoded page (4 bytes a
// pixel) and against the opaque page it is read into (3). CPU time besides,
// which a loaded machine sways less than wall time.
void BM_InkLayerAgainstOpaqueTwin(benchmark::State& state) {
  Pages().pagePath(kSparse);  // drawn with its ink twins on first use
  const double rgbBytes = Pages().decodedBytes(kSparse), decodedBytes = rgbBytes / 3 * 4;
  std::vector<RunKind> kinds;
  for (const char* page : {"ink.png", "paper-rgba.png", "paper-rgb.png"})
    kinds.push_back({page, "out.png", {"--flats-only"}, Pages().path(page)});
  const std::optional<Turns> turns = TakeTurns(state, kinds, 0);
  if (!turns) return;
  const std::vector<double> &seconds = turns->seconds, &cpu = turns->cpuSeconds, &peak = turns->peak;
  state.counters["ink_s"] = seconds[0];
  state.counters["ink_x_opaque_rgba"] = seconds[0] / seconds[1];
  state.counters["ink_x_opaque_rgb"] = seconds[0] / seconds[2];
  state.counters["ink_cpu_x_opaque_rgba"] = cpu[0] / cpu[1];
  state.counters["ink_cpu_x_opaque_rgb"] = cpu[0] / cpu[2];
  state.counters["load"] = tessel::bench::LoadAverage();
  state.counters["ink_peak_x_page"] = peak[0] / decodedBytes;
  state.counters["ink_peak_x_rgb_page"] = peak[0] / rgbBytes;
  state.counters["opaque_rgb_peak_x_rgb_page"] = peak[2] / rgbBytes;
  state.counters["opaque_rgba_peak_x_page"] = peak[1] / decodedBytes;
}
BENCHMARK(BM_InkLayerAgainstOpaqueTwin)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace
