#include "pipeline/PageFlats.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

#include "base/RowBands.h"
#include "base/Stopwatch.h"
#include "flats/Compose.h"
#include "flats/RegionMask.h"
#include "pipeline/PaintRules.h"

namespace tessel::pipeline {

base::ImageBuffer KeepPage(const base::ImageBuffer& page, std::optional<base::ImageBuffer> mapped) {
  const base::ImageGeometry &want = page.geometry(), &have = mapped ? mapped->geometry() : want;
  const bool fits = mapped && have.width == want.width && have.height == want.height && have.planes == want.planes &&
                    have.layout == want.layout && have.rowPadding == want.rowPadding;
  base::ImageBuffer copy = fits ? std::move(*mapped) : base::ImageBuffer(want);
  // The copy's fresh memory is mostly the kernel's to clear: faulting it in
  // from every core shortens the wait. Bands of bytes, whatever the layout.
  const int64_t size = page.sizeBytes(), height = page.height();
  base::InRowBands(height, [&](int64_t begin, int64_t end) {
    const int64_t from = size / height * begin, to = end == height ? size : size / height * end;
    std::memcpy(copy.data() + from, page.data() + from, static_cast<size_t>(to - from));
  });
  return copy;
}

bool MergesOver(FlatsOutput kind) { return kind == FlatsOutput::kUnderLines; }

std::string LabMergeRefusal(const std::string& page) {
  return page + ": a Lab page cannot be multiplied over its flats; write its flats alone with --flats-only";
}

namespace {

// Whether the regions take colours other than the filter's: hints are waited
// for here, their time the hints stage's.
bool Recolours(const RecolourRequest& request, PageTimings& timings) {
  if (request.distinct) return true;
  if (!request.hints) return false;
  const auto start = std::chrono::steady_clock::now();
  const bool hinted = !request.hints->Get().empty();
  timings.hints += base::SecondsSince(start);
  return hinted;
}

}  // namespace

void MakeFlats(base::ImageBuffer& asRead, io::ImageFile& result, FlatsOutput kind, const RecolourRequest& recolour,
               RecolourSummary& summary, PageTimings& timings, FlatsOverlap overlap) {
  const int colourPlanes = result.pixels.planes() - (result.hasTransparency ? 1 : 0);

  auto start = std::chrono::steady_clock::now();
  if (!overlap.regions) overlap.regions = flats::ChangedPixels(asRead, result.pixels);
  const flats::RegionMask& mask = *overlap.regions;
  timings.regions += base::SecondsSince(start);

  const bool painted = !mask.empty();
  // Recoloured, the regions are repainted in their new colours before the
  // flats grow from them under the lines.
  std::optional<RecolouredRegions> recoloured;
  if (painted && Recolours(recolour, timings))
    recoloured.emplace(
        RecolourRegions(mask, result, colourPlanes, recolour, summary, timings, std::move(overlap.runs),
                        std::move(overlap.lines)));
  if (!painted) {
    start = std::chrono::steady_clock::now();
    result.pixels.Fill(PaperWhite(result.imageMode, colourPlanes));
    timings.underLines = base::SecondsSince(start);
  }
  // Repainted, the regions' runs and colours are done with: the writer's
  // buffers, made next, take their memory instead of raising the run's peak.
  // Painted with the lines from the map kept beside them, they serve every band.
  const bool fromLines = recoloured && recoloured->PaintsUnderLines();
  const auto repaint = [&](base::ImageBuffer& flats) {
    if (!recoloured || fromLines) return;
    recoloured->Repaint(flats);
    recoloured.reset();
  };
  const auto underLines = [&](base::ImageBuffer& flats, int64_t begin, int64_t end) {
    if (fromLines) recoloured->PaintRows(flats, begin, end);
    else if (painted) flats::FillUnderLines(mask, flats, colourPlanes, begin, end);
  };
  const bool merges = MergesOver(kind);
  const RowsFinal& rowsFinal = overlap.rowsFinal;
  if (!rowsFinal) {
    start = std::chrono::steady_clock::now();
    repaint(result.pixels);
    // Only pixels outside the regions and repainted ones are written, and
    // only region pixels read from, so bands of rows go side by side.
    base::InRowBands(result.pixels.height(),
                     [&](int64_t begin, int64_t end) { underLines(result.pixels, begin, end); });
    timings.underLines += base::SecondsSince(start);
    if (!merges) return;
    start = std::chrono::steady_clock::now();
    flats::MultiplyOver(asRead, result.pixels, colourPlanes);
    timings.multiply = base::SecondsSince(start);
    return;
  }
  // Band after band on this one thread, while the writer encodes the bands
  // done on the other core. Merged rows go into the page as read, whose rows
  // no later band needs, so that the flats stay whole for the bands below to
  // take colours from; the two trade places first, so that the result holds
  // what is written.
  if (merges) std::swap(result.pixels, asRead);
  base::ImageBuffer& flats = merges ? asRead : result.pixels;
  start = std::chrono::steady_clock::now();
  repaint(flats);
  timings.underLines += base::SecondsSince(start);
  constexpr int64_t kBandRows = 256;
  const int64_t height = flats.height();
  for (int64_t begin = 0; begin < height; begin += kBandRows) {
    const int64_t end = std::min(begin + kBandRows, height);
    start = std::chrono::steady_clock::now();
    underLines(flats, begin, end);
    timings.underLines += base::SecondsSince(start);
    start = std::chrono::steady_clock::now();
    if (merges) flats::MultiplyOver(result.pixels, flats, result.pixels, colourPlanes, begin, end);
    timings.multiply += base::SecondsSince(start);
    rowsFinal(end);
  }
}

}  // namespace tessel::pipeline
