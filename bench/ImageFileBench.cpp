// Reading and writing a page: what the tessel command spends around the
// filter itself, per format, on a generated comic page of 600 dpi size.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <boost/filesystem.hpp>

#include "io/ImageFile.h"
#include "tests/support/LineArt.h"

namespace {

using namespace tessel;

// A page file in the temp folder, removed when the benchmark is done with it.
class PageFile {
 public:
  explicit PageFile(const char* extension)
      : mPath((boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("tessel-bench-%%%%%%"))
                  .string() +
              extension) {}
  ~PageFile() { std::remove(mPath.c_str()); }
  const std::string& path() const { return mPath; }

 private:
  std::string mPath;
};

io::ImageFile ComicPage() {
  const tessel::testing::Page page = tessel::testing::DrawComicPage(6600, 10200, 3, 200, 3);
  base::ImageBuffer pixels({page.width, page.height, 3, base::PlaneLayout::Interleaved, 0});
  std::memcpy(pixels.data(), page.bytes.data(), page.bytes.size());
  return {std::move(pixels), plugInModeRGBColor, false, {}};
}

void BM_SavePage(benchmark::State& state, const char* extension) {
  io::ImageFile page = ComicPage();
  const PageFile file(extension);
  for (auto _ : state) io::SaveImageFile(page, file.path());
  state.SetItemsProcessed(state.iterations() * page.pixels.width() * page.pixels.height());
}

void BM_LoadPage(benchmark::State& state, const char* extension) {
  const PageFile file(extension);
  {
    io::ImageFile page = ComicPage();
    io::SaveImageFile(page, file.path());
  }
  for (auto _ : state) benchmark::DoNotOptimize(io::LoadImageFile(file.path()).pixels.data());
  state.SetItemsProcessed(state.iterations() * 6600 * 10200);
}

BENCHMARK_CAPTURE(BM_LoadPage, png, ".png")->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadPage, tif, ".tif")->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_SavePage, png, ".png")->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(BM_SavePage, tif, ".tif")->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
