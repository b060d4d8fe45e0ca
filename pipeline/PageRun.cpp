#include "pipeline/PageRun.h"

#include <chrono>
#include <exception>

#include "base/PagesMappedAhead.h"
#include "base/ParamItems.h"
#include "base/RowGate.h"
#include "base/Stopwatch.h"
#include "host/FilterSession.h"
#include "io/FileFormats.h"
#include "io/ImageFile.h"
#include "io/LayeredOutput.h"
#include "io/OverlappedWrite.h"
#include "io/PageFile.h"
#include "io/PendingOutput.h"
#include "pipeline/PageFlats.h"
#include "pipeline/PageOptions.h"
#include "pipeline/PagePass.h"
#include "pipeline/PageSizes.h"

namespace tessel::pipeline {

namespace {

PageResult Failure(PageOutcome outcome, std::string message) { return {outcome, std::move(message), std::nullopt, {}}; }

void TimeStart(const std::vector<host::SelectorCall>& calls, PageTimings& timings) {
  for (const host::SelectorCall& call : calls)
    if (call.selector == filterSelectorStart) {
      timings.filter = call.wallSeconds;
      timings.filterCpu = call.cpuSeconds;
    }
}

std::string FilterFailure(const std::string& input, int16_t code) {
  return input + ": " + host::FailureText(code) + "; the output was not written";
}

// Whether a replayed action leaves the filter nothing to paint after its
// scan, and nothing to repaint above the row it has reached: no joining, no
// flagging (a flag fill may spread through pixels of the paint colour it
// replaces, above the scan). Unset items leave both off, as in the filter;
// anything else than a plain "off" counts as on.
bool RowsFinalAsScanned(const base::Descriptor& replay) {
  constexpr DescriptorKeyID kJoin = base::params::kKeyOf<&_STesselParams::joinAreas>;
  constexpr DescriptorKeyID kFlag = base::params::kKeyOf<&_STesselParams::flagAreas>;
  for (const base::DescriptorItem& item : replay.items) {
    if (item.key != kJoin && item.key != kFlag) continue;
    const bool* on = std::get_if<bool>(&item.value);
    if (!on || *on) return false;
  }
  return true;
}

// Whether the filter's rows can be taken as its scan finishes them: from
// parameters known before the run, on a page the run changes nothing on
// before the filter.
bool FinalAsScanned(const RunSettings& settings, const PixelSizes& sizes) {
  return sizes.closeGaps == 0 && !settings.showDialog && RowsFinalAsScanned(sizes.replay);
}

}  // namespace

PageResult RunPage(const host::PluginModule& module, const std::string& input, const std::string& output,
                   const RunSettings& settings, const PageHooks& hooks) {
  try {
    PageTimings timings;
    const bool layered = io::IsLayeredOutput(output);
    const FlatsOutput flats = layered ? FlatsOutput::kFlatsOnly : settings.flats;
    // An ink layer read for a file of flats is laid over paper as it is
    // decoded, into an opaque page: the filter, the flats and their output
    // then carry no transparency plane, as for the same art on paper. A
    // layered file keeps the ink for its Lines, and a plain run its planes:
    // the pass lays those over paper after.
    const io::Transparency transparency =
        !layered && flats != FlatsOutput::kNone ? io::Transparency::kOverPaper : io::Transparency::kKept;
    std::optional<io::ImageFile> image;
    PassOverlap overlap;
    PixelSizes sizes;
    try {
      const auto reading = std::chrono::steady_clock::now();
      io::PageFile page(input, transparency);
      try {
        sizes = SizesFor(settings, page.header().resolution, input);
      } catch (const SettingsError& e) {
        return Failure(PageOutcome::kBadInput, e.what());
      }
      std::optional<base::PagesMappedAhead> mapping;
      if (flats != FlatsOutput::kNone || sizes.closeGaps > 0) {
        // The page to be kept is mapped in beside the decoder, which leaves a
        // core mostly idle. Only a head start: when the memory cannot be had,
        // the page is read as ever, and keeping it fails as it always did.
        try {
          overlap.keep.emplace(page.header().geometry);
          mapping.emplace(overlap.keep->data(), static_cast<size_t>(overlap.keep->sizeBytes()));
        } catch (const base::ImageError&) {
        }
      }
      image.emplace(page.Load());
      mapping.reset();
      timings.read = base::SecondsSince(reading);
      timings.pixels = image->pixels.width() * image->pixels.height();
      if (layered) io::CheckLayerable(output, page.header());
      else io::CheckSavable(output, image->imageMode, image->hasTransparency);
      if (MergesOver(flats) && image->imageMode == plugInModeLabColor)
        return Failure(PageOutcome::kBadInput, LabMergeRefusal(input));
    } catch (const io::ImageFileError& e) {
      return Failure(PageOutcome::kBadInput, e.what());
    }
    // Claimed before the filter runs, so an output that cannot be written
    // costs no filtering.
    io::PendingOutput pending(output);

    // A single-image file is written as its rows become final: the filter's
    // as it scans them, or the flats' as they are made after the filter.
    // Flats find their regions in the rows the scan has finished.
    const bool scanFinal = FinalAsScanned(settings, sizes);
    const bool writeDuringScan = scanFinal && !layered && flats == FlatsOutput::kNone;
    const bool writeDuringFlats = !layered && flats != FlatsOutput::kNone;
    std::optional<io::OverlappedWrite> overlapped;
    if (writeDuringScan) overlapped.emplace(*image, pending.temporaryPath());
    base::RowGate scanned;
    host::FilterSession session(module);
    // The scan reports the rows it has passed: every region reaching them
    // was seeded on or above them and is painted whole.
    session.host().progress().OnProgress([&](int32_t done, int32_t total) {
      if (writeDuringScan) overlapped->RowsFinal(done);
      if (scanFinal) scanned.Release(done);
      if (hooks.progress) hooks.progress(done, total);
    });
    session.host().progress().OnAbortCheck(hooks.abort);
    // Colours are converted into the page's own space, as the editor converts
    // them into the document's; a profile it cannot use leaves the built-in one.
    const std::string profile = io::IccProfileOf(*image);
    if (!profile.empty()) session.host().colorServices().UseImageProfile(profile);
    host::RunRequest request;
    request.replay = sizes.replay;
    request.showDialog = settings.showDialog;
    request.presetsFolder = settings.presetsFolder;
    if (scanFinal) overlap.scanned = &scanned;
    if (writeDuringFlats)
      overlap.flatsRowsFinal = [&](int64_t rows) {
        // Started with the first band: until then the flats may move the page's pixels.
        // Flats are new files, not held to the filter's bytes of before: every
        // core may write them.
        if (!overlapped) overlapped.emplace(*image, pending.temporaryPath(), true);
        overlapped->RowsFinal(rows);
      };
    PassResult pass = RunPagePass(session, *image, request,
                                  {flats, settings.distinct, sizes.closeGaps, settings.overPaper, layered}, timings,
                                  std::move(overlap));
    if (pass.report.result == userCanceledErr)
      return Failure(PageOutcome::kCancelled, input + ": cancelled; the output was not written");
    if (pass.report.result != noErr) return Failure(PageOutcome::kFailed, FilterFailure(input, pass.report.result));

    TimeStart(pass.report.calls, timings);
    std::string notice;
    if (pass.distinct) notice = input + ": distinct flats: " + DescribeDistinct(*pass.distinct);
    if (pass.inkLeftAsItWas)
      notice = input + ": nothing was filled on this page with transparency; if it is line art on a layer of its "
                       "own, flat it with --flats-only, --under-lines or a .psd or .ora output, or run it with "
                       "--over-paper, which read it over white paper";
    if (!layered) pass.asRead.reset();  // the writer's buffers need room more

    const auto writing = std::chrono::steady_clock::now();
    if (layered) io::WriteLayered(*pass.asRead, *image, pending.temporaryPath(), timings.layered);
    else if (overlapped) overlapped->Finish();
    else io::SaveImageFile(*image, pending.temporaryPath());
    pending.Commit();
    timings.write = base::SecondsSince(writing);
    if (image->reducedFromSixteenBits)
      notice += (notice.empty() ? "" : "\n") + input +
                ": 16 bits per channel, flatted and written with 8 as the filter works on 8-bit pages";
    return {PageOutcome::kDone, std::move(notice), std::move(pass.report.recorded), timings};
  } catch (const std::exception& e) {
    return Failure(PageOutcome::kFailed, e.what());
  }
}

}  // namespace tessel::pipeline
