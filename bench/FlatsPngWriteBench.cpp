// The merged flats of the 32 MP comic page written as PNG by libvips and in
// bands on every core, taking turns: the write is most of what flats add to
// a run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <boost/filesystem.hpp>

#include "bench/FlatsPage.h"
#include "flats/Compose.h"
#include "flats/RegionMask.h"
#include "io/BandedPng.h"
#include "pipeline/PageFlats.h"

namespace {

namespace fs = boost::filesystem;
using namespace tessel;

// A page of flat regions and anti-aliased lines multiplied over flats as a
// run makes them: here the regions are the page's white, painted grey.
io::ImageFile MergedFlats() {
  const base::ImageBuffer asRead = tessel::bench::DrawFlatsPage();
  base::ImageBuffer painted = pipeline::KeepPage(asRead);
  for (int64_t y = 0; y < painted.height(); ++y)
    for (int64_t x = 0; x < painted.width(); ++x)
      if (painted.at(x, y, 0) == 255 && painted.at(x, y, 1) == 255 && painted.at(x, y, 2) == 255)
        for (int p = 0; p < 3; ++p) painted.at(x, y, p) = static_cast<uint8_t>(x / 97 * 37 + y / 89 * 53 + p * 71);
  tessel::flats::FillUnderLines(tessel::flats::ChangedPixels(asRead, painted), painted, 3);
  tessel::flats::MultiplyOver(asRead, painted, 3);
  return {std::move(painted), plugInModeRGBColor, false, {}};
}

double Seconds(const std::function<void()>& write) {
  const auto start = std::chrono::steady_clock::now();
  write();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Timed: the banded write.
void BM_MergedFlatsPngInBandsAgainstLibvips(benchmark::State& state) {
  static io::ImageFile merged = MergedFlats();
  const fs::path folder = fs::temp_directory_path() / fs::unique_path("tessel-png-bench-%%%%%%");
  fs::create_directories(folder);
  const std::string byLibvips = (folder / "libvips.png").string(), inBands = (folder / "bands.png").string();
  double libvips = 0, banded = 0;
  for (auto _ : state) {
    libvips += Seconds([&] { io::SaveImageFile(merged, byLibvips); });
    const double seconds = Seconds([&] { io::SavePngInBands(merged, inBands); });
    banded += seconds;
    state.SetIterationTime(seconds);
  }
  state.counters["libvips_s"] = libvips / static_cast<double>(state.iterations());
  state.counters["bands_x_libvips"] = banded / libvips;
  state.counters["size_x_libvips"] =
      static_cast<double>(fs::file_size(inBands)) / static_cast<double>(fs::file_size(byLibvips));
  fs::remove_all(folder);
}
BENCHMARK(BM_MergedFlatsPngInBandsAgainstLibvips)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace
