#include "pipeline/PagePass.h"

#include <chrono>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/RowBands.h"
#include "base/Stopwatch.h"
#include "flats/InkOverPaper.h"
#include "pipeline/PageFlats.h"
#include "pipeline/PageGaps.h"
#include "pipeline/RegionsAsScanned.h"

namespace tessel::pipeline {

namespace {

bool ReadsOverPaper(const PassSteps& steps) {
  return steps.overPaper || steps.flats != FlatsOutput::kNone || steps.closeGaps > 0;
}

// A hash of each row's worth of the page's bytes, whatever its layout: a
// plain run keeps no copy to tell whether the filter changed anything.
std::vector<size_t> RowPrints(const base::ImageBuffer& page) {
  const int64_t size = page.sizeBytes(), height = page.height();
  std::vector<size_t> prints(static_cast<size_t>(height));
  base::InRowBands(height, [&](int64_t begin, int64_t end) {
    for (int64_t row = begin; row < end; ++row) {
      const int64_t from = size / height * row, to = row + 1 == height ? size : size / height * (row + 1);
      const std::string_view bytes(reinterpret_cast<const char*>(page.data() + from), static_cast<size_t>(to - from));
      prints[static_cast<size_t>(row)] = std::hash<std::string_view>{}(bytes);
    }
  });
  return prints;
}

}  // namespace

PassResult RunPagePass(host::FilterSession& session, io::ImageFile& page, host::RunRequest request,
                       const PassSteps& steps, PageTimings& timings, PassOverlap overlap) {
  PassResult pass;
  const bool overPaper = page.hasTransparency && ReadsOverPaper(steps);
  std::optional<flats::InkRecord> ink;
  if (overPaper) {
    const auto compositing = std::chrono::steady_clock::now();
    if (steps.layers) ink.emplace();
    flats::InkOverPaper(page.pixels, ink ? &*ink : nullptr);
    timings.overPaper = base::SecondsSince(compositing);
  }
  std::vector<size_t> printsBefore;
  if (page.hasTransparency && !overPaper) printsBefore = RowPrints(page.pixels);

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
    regions.emplace(*pass.asRead, page.pixels, *overlap.scanned,
                    steps.distinct ? RegionsAsScanned::kRunsAndLines
                    : steps.hints  ? RegionsAsScanned::kRuns
                                   : RegionsAsScanned::kMask);

  request.image = &page.pixels;
  request.imageMode = page.imageMode;
  request.layer = page.hasTransparency;
  host::SeedPaintColors();
  pass.report = session.Run(request);
  if (pass.report.result != noErr) return pass;
  if (!printsBefore.empty()) pass.inkLeftAsItWas = RowPrints(page.pixels) == printsBefore;

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
    FlatsOverlap beside{std::nullopt, std::nullopt, {}, std::move(overlap.flatsRowsFinal)};
    if (regions) {
      const auto finding = std::chrono::steady_clock::now();
      beside.regions = regions->Finish(&beside.runs, &beside.lines);
      timings.regions = base::SecondsSince(finding);
    }
    MakeFlats(*pass.asRead, page, steps.flats, recolour, recoloured, timings, std::move(beside));
    pass.distinct = recoloured.distinct;
    pass.hints = recoloured.hints;
    if (ink) flats::RestoreInk(*ink, *pass.asRead);
  } else {
    pass.asRead.reset();
  }
  return pass;
}

}  // namespace tessel::pipeline
