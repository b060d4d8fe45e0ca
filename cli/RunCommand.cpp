#include "cli/RunCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include <boost/filesystem.hpp>

#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"
#include "io/ActionFile.h"
#include "io/FileFormats.h"
#include "io/ImageFile.h"
#include "io/LayeredOutput.h"
#include "io/PageFile.h"
#include "io/PendingOutput.h"
#include "pipeline/PageFlats.h"
#include "pipeline/PagePeak.h"
#include "pipeline/PageSizes.h"

namespace tessel::cli {

namespace fs = boost::filesystem;

namespace {

[[noreturn]] void Usage(const std::string& message) { throw CommandError(kExitUsage, message); }

bool IsPageName(const fs::path& path) {
  return path.filename().string()[0] != '.' && io::IsImageFileName(path.string());
}

// The pages of a folder, one level deep, by name.
std::vector<std::string> PagesIn(const std::string& folder) {
  std::vector<std::string> pages;
  boost::system::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
    if (IsPageName(entry->path()) && fs::is_regular_file(entry->path())) pages.push_back(entry->path().string());
  if (error) throw CommandError(kExitBadInput, folder + ": cannot be read (" + error.message() + ")");
  if (pages.empty()) throw CommandError(kExitBadInput, folder + ": holds no " + io::ImageFileExtensions() + " pages");
  std::sort(pages.begin(), pages.end());
  return pages;
}

void RequireWritableFolder(const std::string& folder) {
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    Usage("cannot write into " + folder + " (" + std::strerror(errno) + ")");
}

std::string FolderOf(const std::string& file) {
  const std::string parent = fs::path(file).parent_path().string();
  return parent.empty() ? "." : parent;
}

void RequireOutputFolder(const std::string& folder) {
  boost::system::error_code error;
  if (!fs::exists(folder, error)) {
    if (!fs::create_directory(folder, error) || error)
      Usage("cannot make the output folder " + folder + " (" + error.message() + ")");
  } else if (!fs::is_directory(folder, error)) {
    Usage(folder + " is a file; several pages need an output folder");
  }
}

// The pages' headers, each read once however many checks ask for it; none for
// a page that cannot be read, which is left to its run to report as it
// always does. The run opens the page again: the planned pages are not held
// open, as a batch may have more of them than a process may hold. Pages run
// in workers are all looked at, for the memory each will take.
class Headers {
 public:
  const io::ImageHeader* Of(const std::string& input) {
    const auto [known, added] = mRead.try_emplace(input);
    if (added) {
      try {
        known->second = io::PageFile(input).header();
      } catch (const io::ImageFileError&) {
      }
    }
    return known->second ? &*known->second : nullptr;
  }

 private:
  std::map<std::string, std::optional<io::ImageHeader>> mRead;
};

// Refused before any page is filtered: a batch should not stop half done for
// what its first look could tell.
void RequireMergeable(const std::vector<std::string>& inputs, pipeline::FlatsOutput flats, Headers& headers) {
  if (!pipeline::MergesOver(flats)) return;
  for (const std::string& input : inputs) {
    const io::ImageHeader* header = headers.Of(input);
    if (header && header->imageMode == plugInModeLabColor) Usage(pipeline::LabMergeRefusal(input));
  }
}

// A layered output is checked against its page's header, before any page
// is filtered.
void RequireLayerable(const PageJob& page, const RunOptions& request, Headers& headers) {
  if (request.flatsOnly)
    Usage(page.output + ": a " + io::LayeredExtensions() +
          " output holds the lines over the flats; write --flats-only to a .png or .tif");
  const io::ImageHeader* header = headers.Of(page.input);
  if (!header) return;
  try {
    io::CheckLayerable(page.output, *header);
  } catch (const io::ImageFileError& e) {
    Usage(e.what());
  }
}

// Sizes in physical units are taken at each page's resolution: a page that
// has none, or gives a size out of range, is refused before any is filtered.
void RequirePixelSizes(const std::vector<std::string>& inputs, const pipeline::RunSettings& settings,
                       Headers& headers) {
  if (!pipeline::NeedsResolution(settings)) return;
  for (const std::string& input : inputs) {
    double resolution = 0;  // --dpi stands for every page's
    if (settings.dpi == 0) {
      const io::ImageHeader* header = headers.Of(input);
      if (!header) continue;  // unreadable: its run says why
      resolution = header->resolution;
    }
    try {
      pipeline::SizesFor(settings, resolution, input);
    } catch (const pipeline::SettingsError& e) {
      Usage(e.what());
    }
  }
}

// The pages and their outputs. Throws CommandError for a request that would
// overwrite an input without --in-place, clash, write where it cannot,
// multiply a Lab page over its flats, or take a size in physical units on a
// page that cannot turn it into pixels (`settings`, from the request).
std::vector<PageJob> PlanPages(const RunOptions& request, const pipeline::RunSettings& settings, Headers& headers) {
  if (request.inPlace && !request.output.empty()) Usage("give either -o or --in-place, not both");
  if (!request.inPlace && request.output.empty()) Usage("name the output with -o (or overwrite the inputs with --in-place)");

  std::vector<std::string> inputs;
  bool severalPages = request.inputs.size() > 1;
  for (const std::string& input : request.inputs) {
    if (fs::is_directory(input)) {
      severalPages = true;
      for (std::string& page : PagesIn(input)) inputs.push_back(std::move(page));
    } else {
      inputs.push_back(input);
    }
  }

  RequireMergeable(inputs, pipeline::FlatsOf(request), headers);
  RequirePixelSizes(inputs, settings, headers);
  const bool outputIsFolder = !request.inPlace && (severalPages || fs::is_directory(request.output));
  if (outputIsFolder && severalPages) RequireOutputFolder(request.output);
  std::vector<PageJob> pages;
  std::set<std::string> outputs;
  for (const std::string& input : inputs) {
    std::string output = request.inPlace ? input
                         : outputIsFolder ? (fs::path(request.output) / fs::path(input).filename()).string()
                                          : request.output;
    if (!request.inPlace && io::SameFile(input, output))
      Usage(output + " is the input " + input + "; write elsewhere, or pass --in-place to replace the input");
    if (!outputs.insert(fs::absolute(output).lexically_normal().string()).second)
      Usage(output + " would be written twice; pages with the same name need separate runs");
    pages.push_back({input, std::move(output)});
  }
  for (const PageJob& page : pages) {
    if (io::IsLayeredOutput(page.output)) {
      RequireLayerable(page, request, headers);
    } else {
      try {
        // RGB fits every format: this checks only that the extension names one.
        io::CheckSavable(page.output, plugInModeRGBColor, false);
      } catch (const io::ImageFileError& e) {
        Usage(e.what());
      }
    }
    RequireWritableFolder(FolderOf(page.output));
  }
  return pages;
}

// The settings every page runs with, the dialog shown if asked for.
pipeline::RunSettings SettingsFor(const RunOptions& request) {
  pipeline::RunSettings settings;
  try {
    settings = pipeline::SettingsFor(request);
  } catch (const pipeline::SettingsError& e) {
    // Settings that cannot be replayed are a command that cannot be carried out.
    Usage(e.what());
  }
  settings.showDialog = settings.showDialog || request.dialog;
  return settings;
}

// Reports results and progress on standard error as pages finish.
class Reporter {
 public:
  Reporter(size_t pages, bool timings, const pipeline::RunSettings& settings, bool layered)
      : mPages(pages),
        mTimings(timings),
        mFlats(settings.flats),
        mLayered(layered),
        mGaps(settings.closeGaps.amount > 0) {}

  // `first`: the number of the batch's first page among all pages.
  BatchCallbacks Callbacks(size_t first) {
    BatchCallbacks callbacks;
    callbacks.finished = [this, first](size_t index, const pipeline::PageResult& result, bool retried) {
      mRetried += retried ? 1 : 0;
      Finished(first + index, result);
    };
    callbacks.state = [this](const BatchState& state) {
      mWaiting = state.waitingForMemory;
      if (mPages > 1) ShowPages();
    };
    callbacks.rows = [this, first](size_t index, int32_t done, int32_t total) {
      const std::string label = mPages > 1 ? "page " + std::to_string(first + index + 1) + "/" + std::to_string(mPages)
                                           : "flatting";
      mBar.Show(label, done, total);
    };
    return callbacks;
  }
  size_t done() const { return mDone; }
  size_t retried() const { return mRetried; }

 private:
  void Finished(size_t page, const pipeline::PageResult& result) {
    ++mFinished;
    mBar.Clear();
    if (result.outcome == pipeline::PageOutcome::kDone) ++mDone;
    std::istringstream lines(result.message);
    for (std::string line; std::getline(lines, line);) std::fprintf(stderr, "tessel: %s\n", line.c_str());
    if (mTimings && result.outcome == pipeline::PageOutcome::kDone) ReportTimings(page, result.timings);
    if (mPages > 1) ShowPages();
  }

  void ShowPages() {
    const std::string label = mWaiting ? "pages, " + std::to_string(mWaiting) + " waiting for memory" : "pages";
    mBar.Show(label, static_cast<int64_t>(mFinished), static_cast<int64_t>(mPages));
  }

  void ReportTimings(size_t page, const pipeline::PageTimings& t) const {
    const double megapixels = static_cast<double>(t.pixels) / 1e6;
    char flats[256] = "";
    if (mFlats != pipeline::FlatsOutput::kNone || mLayered) {
      int used = std::snprintf(flats, sizeof flats, "; flats: keep page %.3f s, regions %.3f s, under lines %.3f s",
                               t.keep, t.regions, t.underLines);
      if (t.distinct > 0) used += std::snprintf(flats + used, sizeof flats - used, ", distinct %.3f s", t.distinct);
      if (t.overPaper > 0) used += std::snprintf(flats + used, sizeof flats - used, ", over paper %.3f s", t.overPaper);
      if (pipeline::MergesOver(mFlats) && !mLayered)
        used += std::snprintf(flats + used, sizeof flats - used, ", multiply %.3f s", t.multiply);
      if (mLayered)
        used += std::snprintf(flats + used, sizeof flats - used, "; layered write: layers %.3f s, composite %.3f s",
                              t.layered.layers, t.layered.composite);
      if (t.layered.package > 0) std::snprintf(flats + used, sizeof flats - used, ", zip %.3f s", t.layered.package);
    }
    char gaps[80] = "";
    if (mGaps) std::snprintf(gaps, sizeof gaps, "; gaps: close %.3f s, reopen %.3f s", t.closeGaps, t.reopenGaps);
    std::fprintf(stderr,
                 "tessel: page %zu, %.1f MP: read %.3f s, filter pass: %.1f ms wall, %.1f ms on one core "
                 "(%.2f ms/MP), write %.3f s%s%s\n",
                 page + 1, megapixels, t.read, 1e3 * t.filter, 1e3 * t.filterCpu,
                 megapixels > 0 ? 1e3 * t.filterCpu / megapixels : 0.0, t.write, flats, gaps);
  }

  size_t mPages;
  bool mTimings;
  pipeline::FlatsOutput mFlats;
  bool mLayered;
  bool mGaps;
  size_t mFinished = 0;
  size_t mDone = 0;
  size_t mRetried = 0;
  size_t mWaiting = 0;
  ProgressBar mBar;
};

void Record(const std::string& file, const std::vector<pipeline::PageResult>& results) {
  for (const pipeline::PageResult& result : results) {
    if (!result.recorded) continue;
    try {
      io::SaveActionFile(file, io::Action{false, *result.recorded});
    } catch (const io::ActionFileError& e) {
      throw CommandError(kExitFailed, e.what());
    }
    return;
  }
  throw CommandError(kExitFailed, file + ": not written, no page was flatted to record");
}

}  // namespace

int RunCommand(const host::PluginModule& module, const RunOptions& request) {
  pipeline::RunSettings settings = SettingsFor(request);
  Headers headers;
  const std::vector<PageJob> pages = PlanPages(request, settings, headers);
  if (settings.showDialog && !std::getenv("DISPLAY"))
    Usage("the parameters dialog needs a display, and DISPLAY is not set; run without --dialog (or an action that "
          "shows it), or under X");
  InstallInterruptHandler();

  Reporter reporter(pages.size(), request.timings, settings, io::IsLayeredOutput(request.output));
  std::vector<pipeline::PageResult> results;
  size_t first = 0;
  if (settings.showDialog && pages.size() > 1) {
    // The dialog is shown once; what it settles is replayed over the rest,
    // its sizes in the pixels it closed with.
    results = RunBatch(module, {pages.front()}, settings, BatchLimits{1, true, {}, "/"}, reporter.Callbacks(0));
    if (!results.front().recorded) return ExitCodeOf(results);
    settings.replay = *results.front().recorded;
    settings.sizes.clear();
    settings.showDialog = false;
    first = 1;
  }
  const std::vector<PageJob> rest(pages.begin() + static_cast<std::ptrdiff_t>(first), pages.end());
  BatchLimits limits;
  limits.jobs = request.jobs;
  limits.peak = [&headers, &settings](const PageJob& page) {
    const io::ImageHeader* header = headers.Of(page.input);
    return header ? pipeline::PeakBytes(*header, page.input, page.output, settings) : 0;
  };
  for (pipeline::PageResult& result : RunBatch(module, rest, settings, limits, reporter.Callbacks(first)))
    results.push_back(std::move(result));

  if (!request.recordFile.empty()) Record(request.recordFile, results);
  if (pages.size() > 1) {
    std::fprintf(stderr, "tessel: %zu of %zu pages flatted", reporter.done(), pages.size());
    if (reporter.retried())
      std::fprintf(stderr, "; %zu run again alone after a worker was killed", reporter.retried());
    std::fputc('\n', stderr);
  }
  return ExitCodeOf(results);
}

}  // namespace tessel::cli
