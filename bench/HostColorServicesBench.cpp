// One colour-services conversion through the record's callback, as the
// filter makes one per region for every paint colour.
#include <benchmark/benchmark.h>

#include "host/ColorServices.h"

namespace {

void ConvertFromRgb(benchmark::State& state) {
  FilterRecord record{};
  tessel::host::ColorServices services(record);
  const auto resultSpace = static_cast<int16_t>(state.range(0));
  int16_t shade = 0;
  for (auto _ : state) {
    ColorServicesInfo info{};
    info.infoSize = sizeof(info);
    info.selector = plugIncolorServicesConvertColor;
    info.sourceSpace = plugIncolorServicesRGBSpace;
    info.resultSpace = resultSpace;
    info.colorComponents[0] = shade;
    info.colorComponents[1] = static_cast<int16_t>(255 - shade);
    info.colorComponents[2] = 128;
    shade = static_cast<int16_t>((shade + 1) & 255);
    benchmark::DoNotOptimize(record.colorServices(&info));
    benchmark::DoNotOptimize(info.colorComponents);
  }
}
BENCHMARK(ConvertFromRgb)
    ->ArgName("resultSpace")
    ->Arg(plugIncolorServicesHSBSpace)
    ->Arg(plugIncolorServicesCMYKSpace)
    ->Arg(plugIncolorServicesLabSpace)
    ->Arg(plugIncolorServicesGraySpace);

}  // namespace
