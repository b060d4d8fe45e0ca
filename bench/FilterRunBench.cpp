// One whole run through the module as the editor drives it (prepare, start,
// continue, finish) on a generated comic page, random colours, joining on.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/ParameterBlock.h"
#include "engine/TesselParams.h"
#include "host/FilterSession.h"
#include "tests/support/LineArt.h"

namespace {

using tessel::base::ImageBuffer;

void CopyPage(const tessel::testing::Page& art, ImageBuffer& page) {
  for (int64_t y = 0; y < art.height; ++y)
    std::memcpy(page.data() + y * page.rowBytes(), art.bytes.data() + y * art.rowBytes(),
                static_cast<size_t>(art.rowBytes()));
}

void WholeRunOnComicPage(benchmark::State& state) {
  const int64_t width = state.range(0), height = width * 3 / 2;
  const tessel::testing::Page art = tessel::testing::DrawComicPage(width, height, 3, 60, 5);
  ImageBuffer page(tessel::base::ImageGeometry{width, height, 3});
  tessel::host::PluginModule module(tessel::host::DefaultModulePath());
  tessel::host::FilterSession session(module);

  CTesselParams params;
  params.randomColors = 1;
  params.joinAreas = 1;
  SetParameterBlock(session, params);
  tessel::host::RunRequest request;
  request.image = &page;
  int16_t result = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CopyPage(art, page);
    state.ResumeTiming();
    result = session.Run(request).result;
  }
  if (result != 0) state.SkipWithError(("run failed with " + std::to_string(result)).c_str());
  state.counters["megapixels"] = static_cast<double>(width * height) / 1e6;
}
BENCHMARK(WholeRunOnComicPage)->ArgName("width")->Arg(1000)->Arg(3300)->Unit(benchmark::kMillisecond);

}  // namespace
