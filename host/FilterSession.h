// One whole run of the filter as the editor drives it: the page laid before
// the filter, the presets folder named, the parameters handed over as a
// recorded action (replayed with or without its dialog) or asked for with
// the dialog, then parameters, prepare, start, continue and finish through
// PluginMain. A session keeps its host, so the parameter block carries over
// from one run to the next, as in the editor.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Descriptor.h"
#include "base/ImageBuffer.h"
#include "host/Host.h"
#include "host/PluginModule.h"

namespace tessel::host {

// A run that cannot be set up (a presets folder the host cannot name).
class SessionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RunRequest {
  base::ImageBuffer* image = nullptr;  // painted in place; kept by the caller
  int16_t imageMode = plugInModeRGBColor;
  bool layer = false;  // the image's last plane is a layer's transparency
  // The parameters of a recorded action, replayed; none: the filter takes
  // what the dialog gives, or the parameter block of an earlier run.
  std::optional<base::Descriptor> replay;
  // Whether the user sees the dialog (with a replay: the action's dialog toggle).
  bool showDialog = false;
  std::string presetsFolder;  // POSIX; empty: the host names no presets folder
};

struct RunReport {
  int16_t result = noErr;  // 0, or the code of the selector that failed
  std::vector<SelectorCall> calls;  // this run's PluginMain calls, in order
  // The descriptor the host held after the run, taken away for an action:
  // the one the filter recorded, or the replayed one when it recorded nothing.
  std::optional<base::Descriptor> recorded;
};

// What a run that failed with `result` is reported as.
std::string FailureText(int16_t result);

// Seeds the random paint colours as every run of a page does, so that a
// page's result depends on nothing but the page and the settings.
void SeedPaintColors();

class FilterSession {
 public:
  explicit FilterSession(const PluginModule& module) : mHost(module) {}

  // The parameters selector runs when the dialog is wanted, or when there is
  // neither an action to replay nor a parameter block from an earlier run.
  // Throws ImageError for an image the mode cannot describe and SessionError
  // for a presets folder that cannot be named; the filter is not called then.
  RunReport Run(const RunRequest& request);

  // The parameter block the filter left in the record, as bytes to keep
  // between sessions (the editor keeps it between runs); empty when none.
  std::string ParameterBlock() const;
  // Hands the filter a block kept from an earlier session, as if that run
  // had been this session's; an empty one removes the block.
  void RestoreParameterBlock(const std::string& bytes);

  // The editor underneath, for services a caller wants to watch or set
  // (progress and abort hooks, colour profiles, failure injection).
  Host& host() { return mHost; }

 private:
  Host mHost;
};

}  // namespace tessel::host
