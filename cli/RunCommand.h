// `tessel run`: which pages go where, the settings they run with, and the
// batch that carries them out with progress and a report per page.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Batch.h"
#include "pipeline/PageOptions.h"

namespace tessel::cli {

// The command cannot be carried out as given; `code` is the exit code.
class CommandError : public std::runtime_error {
 public:
  CommandError(int code, const std::string& message) : std::runtime_error(message), mCode(code) {}
  int code() const { return mCode; }

 private:
  int mCode;
};

// How each page is flatted, and the command's own options.
struct RunOptions : pipeline::PageOptions {
  std::vector<std::string> inputs;  // files or folders of pages
  std::string output;               // a file for one page, else a folder
  bool inPlace = false;
  bool dialog = false;
  std::string recordFile;
  int jobs = 1;
  bool timings = false;  // report where each page's time went
};

// Runs the request; answers the exit code. Throws CommandError.
int RunCommand(const host::PluginModule& module, const RunOptions& request);

}  // namespace tessel::cli
