// Many pages with one set of settings. The module keeps process-wide state,
// so pages run side by side only in separate processes: forked workers that
// each take the next page not yet taken until none is left.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/PageRun.h"

namespace tessel::cli {

struct PageJob {
  std::string input;
  std::string output;
};

struct BatchCallbacks {
  // Each page's result, in the order they finish; called in this process.
  std::function<void(size_t index, const pipeline::PageResult& result)> finished;
  // Rows done on the page being filled; only when pages run in this process.
  std::function<void(size_t index, int32_t done, int32_t total)> rows;
};

// Runs every page, in this process when `jobs` is 1 (or there is one page)
// unless `workersOnly`, else in up to `jobs` worker processes. Pages that may
// start the window system (the dialog) run in workers, so that this process
// can still fork cleanly afterwards. After an interrupt no further page
// starts; those left are reported cancelled. A worker that dies takes only
// its current page with it; that page is reported failed.
std::vector<pipeline::PageResult> RunBatch(const host::PluginModule& module, const std::vector<PageJob>& pages,
                                 const pipeline::RunSettings& settings, int jobs, const BatchCallbacks& callbacks,
                                 bool workersOnly = false);

}  // namespace tessel::cli
