#include "host/PageRun.h"

#include <cstdlib>
#include <exception>

#include "host/FilterSession.h"
#include "host/ImageFile.h"
#include "host/PendingOutput.h"

namespace tessel::host {

namespace {

PageResult Failure(PageOutcome outcome, std::string message) { return {outcome, std::move(message), std::nullopt}; }

std::string FilterFailure(const std::string& input, int16_t code) {
  return input + ": the filter did not run through (result " + std::to_string(code) + "); the output was not written";
}

}  // namespace

PageResult RunPage(const PluginModule& module, const std::string& input, const std::string& output,
                   const RunSettings& settings, const PageHooks& hooks) {
  try {
    std::optional<ImageFile> image;
    try {
      image.emplace(LoadImageFile(input));
      CheckSavable(output, image->imageMode, image->hasTransparency);
    } catch (const ImageError& e) {
      return Failure(PageOutcome::kBadInput, input + ": " + e.what());
    } catch (const ImageFileError& e) {
      return Failure(PageOutcome::kBadInput, e.what());
    }
    // Claimed before the filter runs, so an output that cannot be written
    // costs no filtering.
    PendingOutput pending(output);

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

    SaveImageFile(*image, pending.temporaryPath());
    pending.Commit();
    return {PageOutcome::kDone, {}, std::move(report.recorded)};
  } catch (const std::exception& e) {
    return Failure(PageOutcome::kFailed, e.what());
  }
}

}  // namespace tessel::host
