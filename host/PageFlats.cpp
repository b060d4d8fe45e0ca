#include "host/PageFlats.h"

#include <chrono>
#include <cstring>

#include "flats/Compose.h"
#include "flats/RegionMask.h"
#include "flats/RowBands.h"
#include "host/Stopwatch.h"

namespace tessel::host {

namespace {

// White paper in the editor's conventions: no ink in CMYK, a and b at zero in Lab.
std::vector<uint8_t> PaperWhite(int16_t imageMode, int colourPlanes) {
  std::vector<uint8_t> white(static_cast<size_t>(colourPlanes), 255);
  if (imageMode == plugInModeLabColor) white[1] = white[2] = 128;
  return white;
}

}  // namespace

ImageBuffer KeepPage(const ImageBuffer& page) {
  ImageBuffer copy(page.geometry());
  // The copy's fresh memory is mostly the kernel's to clear: faulting it in
  // from every core shortens the wait. Bands of bytes, whatever the layout.
  const int64_t size = page.sizeBytes(), height = page.height();
  flats::InRowBands(height, [&](int64_t begin, int64_t end) {
    const int64_t from = size / height * begin, to = end == height ? size : size / height * end;
    std::memcpy(copy.data() + from, page.data() + from, static_cast<size_t>(to - from));
  });
  return copy;
}

bool MergesOver(FlatsOutput kind) { return kind == FlatsOutput::kUnderLines; }

std::string LabMergeRefusal(const std::string& page) {
  return page + ": a Lab page cannot be multiplied over its flats; write its flats alone with --flats-only";
}

void MakeFlats(const ImageBuffer& asRead, ImageFile& result, FlatsOutput kind, DistinctRequest* distinct,
               PageTimings& timings) {
  const int colourPlanes = result.pixels.planes() - (result.hasTransparency ? 1 : 0);

  auto start = std::chrono::steady_clock::now();
  const flats::RegionMask mask = flats::ChangedPixels(asRead, result.pixels);
  timings.regions = SecondsSince(start);

  if (distinct && !mask.empty()) {
    distinct->summary =
        MakeDistinct(mask, result, colourPlanes, distinct->recorded, distinct->presetsFolder, timings);
  } else {
    start = std::chrono::steady_clock::now();
    if (!flats::FillUnderLines(mask, result.pixels, colourPlanes))
      result.pixels.Fill(PaperWhite(result.imageMode, colourPlanes));
    timings.underLines = SecondsSince(start);
  }

  if (!MergesOver(kind)) return;
  start = std::chrono::steady_clock::now();
  flats::MultiplyOver(asRead, result.pixels, colourPlanes);
  timings.multiply = SecondsSince(start);
}

}  // namespace tessel::host
