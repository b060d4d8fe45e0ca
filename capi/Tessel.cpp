// The C interface: each call checks its arguments, reads the options as
// `tessel run` reads them (CallOptions.h) and runs the page through the
// host's page pass.
// No exception leaves a call; every failure is a status and a message.
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "capi/CallOptions.h"
#include "capi/CallerImage.h"
#include "capi/tessel.h"
#include "host/FilterTexts.h"
#include "host/Presets.h"
#include "pipeline/PagePass.h"
#include "pipeline/PageSizes.h"

namespace {

using namespace tessel;

thread_local std::string gMessage;

int Fail(tessel_status status, std::string message) {
  gMessage = std::move(message);
  return status;
}

// The settings the options name, as `tessel run` would take them; no
// dialog is shown in a caller's process.
pipeline::RunSettings SettingsFrom(const char* const* options, int count) {
  pipeline::RunSettings settings =
      pipeline::SettingsFor(capi::ReadOptions(options, count, host::DefaultPresetsFolder()));
  settings.showDialog = false;
  return settings;
}

// The module's alerts come as text, to be passed on, when it sees no window
// system; the caller's DISPLAY is back once the pass is over.
class NoDisplay {
 public:
  NoDisplay() {
    if (const char* display = std::getenv("DISPLAY")) mSaved = display;
    unsetenv("DISPLAY");
  }
  ~NoDisplay() {
    if (mSaved) setenv("DISPLAY", mSaved->c_str(), 1);
  }
  NoDisplay(const NoDisplay&) = delete;
  NoDisplay& operator=(const NoDisplay&) = delete;

 private:
  std::optional<std::string> mSaved;
};

int Flat(const tessel_image* page, const tessel_image* result, const char* const* options, int count) {
  std::string problem = capi::ImageProblem(page, "the page");
  if (problem.empty() && result) {
    problem = capi::ImageProblem(result, "the result");
    if (problem.empty() && (result->width != page->width || result->height != page->height ||
                            result->channels != page->channels))
      problem = "the result is not the page's size and channels";
  }
  if (problem.empty() && (count < 0 || (count > 0 && !options)))
    problem = "the options are missing (" + std::to_string(count) + " announced)";
  if (!problem.empty()) return Fail(TESSEL_BAD_ARGUMENT, problem);

  pipeline::RunSettings settings;
  pipeline::PixelSizes sizes;
  try {
    settings = SettingsFrom(options, count);
    // The caller's page has no resolution of its own: --dpi gives it one.
    sizes = pipeline::SizesFor(settings, 0, "the page");
  } catch (const capi::OptionError& e) {
    return Fail(TESSEL_BAD_OPTION, e.what());
  } catch (const pipeline::SettingsError& e) {
    return Fail(TESSEL_BAD_OPTION, e.what());
  }

  std::optional<host::PluginModule> module;
  try {
    module.emplace(host::FindModulePath());
  } catch (const host::ModuleError& e) {
    return Fail(TESSEL_NO_MODULE, e.what());
  }

  io::ImageFile pixels = capi::PageFrom(*page);
  host::FilterSession session(*module);
  host::RunRequest request;
  request.replay = sizes.replay;
  request.presetsFolder = settings.presetsFolder;
  pipeline::PageTimings unused;
  std::optional<pipeline::PassResult> pass;
  std::string said;
  {
    NoDisplay noWindows;
    host::FilterTexts texts;
    pass.emplace(pipeline::RunPagePass(session, pixels, request,
                                       {settings.flats, settings.distinct, sizes.closeGaps, settings.overPaper},
                                       unused));
    said = texts.Collect();
  }
  if (pass->report.result != noErr)
    return Fail(TESSEL_FILTER_FAILED, said.empty() ? host::FailureText(pass->report.result) : said);
  capi::CopyInto(pixels.pixels, result ? *result : *page);
  gMessage.clear();
  return TESSEL_OK;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) const char* tessel_version(void) { return TESSEL_VERSION; }

__attribute__((visibility("default"))) int tessel_flat(const tessel_image* page, const tessel_image* result,
                                                       const char* const* options, int option_count) {
  try {
    return Flat(page, result, options, option_count);
  } catch (const base::ImageError& e) {
    return Fail(TESSEL_NO_MEMORY, e.what());
  } catch (const std::bad_alloc&) {
    return Fail(TESSEL_NO_MEMORY, "out of memory");
  } catch (const std::exception& e) {
    return Fail(TESSEL_FILTER_FAILED, e.what());
  }
}

__attribute__((visibility("default"))) const char* tessel_error_message(void) { return gMessage.c_str(); }

}  // extern "C"
