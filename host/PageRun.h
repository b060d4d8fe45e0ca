// One page through the filter as the editor runs it: the file is opened, laid
// before the module with the run's descriptor to replay, filtered in place
// through PluginMain and saved, replacing the output only when all went well.
#pragma once

#include <optional>
#include <string>

#include "host/Descriptor.h"
#include "host/PluginModule.h"
#include "host/ProgressServices.h"

namespace tessel::host {

struct RunSettings {
  std::string presetsFolder;  // empty: the host names none
  Descriptor replay;          // the parameters, as an action hands them over
  bool showDialog = false;    // the action's dialog toggle
};

struct PageHooks {
  ProgressServices::ProgressHook progress;
  ProgressServices::AbortHook abort;
};

enum class PageOutcome { kDone, kBadInput, kFailed, kCancelled };

struct PageResult {
  PageOutcome outcome = PageOutcome::kFailed;
  std::string message;                  // why it was not done, naming the file
  std::optional<Descriptor> recorded;   // what the filter wrote at the end of the run
};

// Runs `input` into `output` (which may be `input` itself). The random paint
// colours are seeded afresh, so a page's result depends on nothing but the
// page and the settings. Never throws for a bad page; the result says why.
PageResult RunPage(const PluginModule& module, const std::string& input, const std::string& output,
                   const RunSettings& settings, const PageHooks& hooks);

}  // namespace tessel::host
