#include "host/PageRun.h"

#include <chrono>
#include <cstdlib>
#include <exception>

#include "host/FilterSession.h"
#include "host/ImageFile.h"
#include "host/PageFlats.h"
#include "host/PageGaps.h"
#include "host/PendingOutput.h"

namespace tessel::host {

namespace {

PageResult Failure(PageOutcome outcome, std::string message) { return {outcome, std::move(message), std::nullopt, {}}; }

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void TimeStart(const std::vector<SelectorCall>& calls, PageTimings& timings) {
  for (const SelectorCall& call : calls)
    if (call.selector == filterSelectorStart) {
      timings.filter = call.wallSeconds;
      timings.filterCpu = call.cpuSeconds;
    }
}

std::string FilterFailure(const std::string& input, int16_t code) {
  return input + ": the filter did not run through (result " + std::to_string(code) + "); the output was not written";
}

}  // namespace

PageResult RunPage(const PluginModule& module, const std::string& input, const std::string& output,
                   const RunSettings& settings, const PageHooks& hooks) {
  try {
    PageTimings timings;
    std::optional<ImageFile> image;
    try {
      const auto reading = std::chrono::steady_clock::now();
      image.emplace(LoadImageFile(input));
      timings.read = SecondsSince(reading);
      timings.pixels = image->pixels.width() * image->pixels.height();
      CheckSavable(output, image->imageMode, image->hasTransparency);
      if (MergesOver(settings.flats) && image->imageMode == plugInModeLabColor)
        return Failure(PageOutcome::kBadInput, LabMergeRefusal(input));
    } catch (const ImageFileError& e) {
      return Failure(PageOutcome::kBadInput, e.what());
    }
    // Claimed before the filter runs, so an output that cannot be written
    // costs no filtering.
    PendingOutput pending(output);

    GapStrokes gaps;
    if (settings.closeGaps > 0) {
      const auto closing = std::chrono::steady_clock::now();
      gaps = CloseGaps(*image, settings.closeGaps);
      timings.closeGaps = SecondsSince(closing);
    }
    std::optional<ImageBuffer> asRead;
    if (settings.flats != FlatsOutput::kNone || !gaps.empty()) {
      const auto keeping = std::chrono::steady_clock::now();
      asRead.emplace(KeepPage(image->pixels));
      timings.keep = SecondsSince(keeping);
    }

    FilterSession session(module);
    session.host().progress().OnProgress(hooks.progress);
    session.host().progress().OnAbortCheck(hooks.abort);
    RunRequest request{&image->pixels, image->imageMode, image->hasTransparency, settings.replay, settings.showDialog,
                       settings.presetsFolder};
    std::srand(1);
    RunReport report = session.Run(request);
    if (report.result == userCanceledErr)
      return Failure(PageOutcome::kCancelled, input + ": cancelled; the output was not written");
    if (report.result != noErr) return Failure(PageOutcome::kFailed, FilterFailure(input, report.result));

    TimeStart(report.calls, timings);
    if (!gaps.empty()) {
      const auto reopening = std::chrono::steady_clock::now();
      ReopenGaps(gaps, *asRead, *image);
      timings.reopenGaps = SecondsSince(reopening);
    }
    if (settings.flats != FlatsOutput::kNone) {
      MakeFlats(*asRead, *image, settings.flats, timings);
      asRead.reset();  // the writer's buffers need room more
    }

    const auto writing = std::chrono::steady_clock::now();
    SaveImageFile(*image, pending.temporaryPath());
    pending.Commit();
    timings.write = SecondsSince(writing);
    return {PageOutcome::kDone, {}, std::move(report.recorded), timings};
  } catch (const std::exception& e) {
    return Failure(PageOutcome::kFailed, e.what());
  }
}

}  // namespace tessel::host
