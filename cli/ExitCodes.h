// The tessel command's exit codes, as --help and the README list them.
#pragma once

#include <vector>

#include "pipeline/PageRun.h"

namespace tessel::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 2,       // the command line cannot be carried out as given
  kExitBadInput = 3,    // an input is missing, damaged or not a supported image
  kExitFailed = 4,      // the filter or writing the result failed
  kExitCancelled = 130, // Ctrl-C, or the dialog cancelled
};

// A batch's code: cancelled before failed before bad input before success.
int ExitCodeOf(const std::vector<pipeline::PageResult>& results);

}  // namespace tessel::cli
