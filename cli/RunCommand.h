// `tessel run`: which pages go where, the settings they run with, and the
// batch that carries them out with progress and a report per page.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "base/TypedParams.h"
#include "cli/Batch.h"
#include "pipeline/PageRun.h"

namespace tessel::cli {

// The command cannot be carried out as given; `code` is the exit code.
class CommandError : public std::runtime_error {
 public:
  CommandError(int code, const std::string& message) : std::runtime_error(message), mCode(code) {}
  int code() const { return mCode; }

 private:
  int mCode;
};

struct RunOptions {
  std::vector<std::string> inputs;  // files or folders of pages
  std::string output;               // a file for one page, else a folder
  bool inPlace = false;
  bool dialog = false;
  std::string actionFile;
  std::string recordFile;
  std::string presetsFolder;
  int jobs = 1;
  bool timings = false;  // report where each page's time went
  bool underLines = false;  // merged output over flats with colour under the lines
  bool flatsOnly = false;   // the flats alone
  bool distinct = false;    // neighbouring regions recoloured apart (implies flats)
  int closeGaps = 0;        // the widest gap to close, in pixels; 0: none
  base::ParamValues params;
};

// The pages and their outputs. Throws CommandError for a request that would
// overwrite an input without --in-place, clash, write where it cannot, or
// multiply a Lab page over its flats.
std::vector<PageJob> PlanPages(const RunOptions& request);

// The settings every page of `request` runs with: its action file with its
// options over it. Throws CommandError for an action file that cannot be
// replayed or a palette the presets folder lacks.
pipeline::RunSettings SettingsFor(const RunOptions& request);

// Runs the request; answers the exit code. Throws CommandError.
int RunCommand(const host::PluginModule& module, const RunOptions& request);

}  // namespace tessel::cli
