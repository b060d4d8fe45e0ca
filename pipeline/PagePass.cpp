#include "pipeline/PagePass.h"

#include <chrono>
#include <utility>

#include "base/Stopwatch.h"
#include "pipeline/PageFlats.h"
#include "pipeline/PageGaps.h"
#include "pipeline/RegionsAsScanned.h"

namespace tessel::pipeline {

PassResult RunPagePass(host::FilterSession& session, io::ImageFile& page, host::RunRequest request,
                       const PassSteps& steps, PageTimings& timings, PassOverlap overlap) {
  PassResult pass;
  GapStrokes gaps;
  if (steps.closeGaps > 0) {
    const auto closing = std::chrono::steady_clock::now();
    gaps = CloseGaps(page, steps.closeGaps);
    timings.closeGaps = base::SecondsSince(closing);
  }
  if (steps.flats != FlatsOutput::kNone || !gaps.empty()) {
    const auto keeping = std::chrono::steady_clock::now();
    pass.asRead.emplace(KeepPage(page.pixels, std::move(overlap.keep)));
    timings.keep = base::SecondsSince(keeping);
  }

  std::optional<RegionsAsScanned> regions;
  if (overlap.scanned && steps.flats != FlatsOutput::kNone && gaps.empty())
    regions.emplace(*pass.asRead, page.pixels, *overlap.scanned, steps.distinct || steps.hints);

  request.image = &page.pixels;
  request.imageMode = page.imageMode;
  request.layer = page.hasTransparency;
  host::SeedPaintColors();
  pass.report = session.Run(request);
  if (pass.report.result != noErr) return pass;

  if (!gaps.empty()) {
    const auto reopening = std::chrono::steady_clock::now();
    if (steps.flats != FlatsOutput::kNone) TakeOutStrokes(gaps, *pass.asRead, page);
    else ReopenGaps(gaps, *pass.asRead, page);
    timings.reopenGaps = base::SecondsSince(reopening);
  }
  if (steps.flats != FlatsOutput::kNone) {
    const RecolourRequest recolour{steps.distinct && pass.report.recorded,
                                   pass.report.recorded ? &*pass.report.recorded : nullptr, request.presetsFolder,
                                   steps.hints};
    RecolourSummary recoloured;
    FlatsOverlap beside{std::nullopt, std::nullopt, std::move(overlap.flatsRowsFinal)};
    if (regions) {
      const auto finding = std::chrono::steady_clock::now();
      beside.regions = regions->Finish(&beside.runs);
      timings.regions = base::SecondsSince(finding);
    }
    MakeFlats(*pass.asRead, page, steps.flats, recolour, recoloured, timings, std::move(beside));
    pass.distinct = recoloured.distinct;
    pass.hints = recoloured.hints;
  } else {
    pass.asRead.reset();
  }
  return pass;
}

}  // namespace tessel::pipeline
