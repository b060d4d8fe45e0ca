// Many pages with one set of settings. The module keeps process-wide state,
// so pages run side by side only in separate processes: forked workers, each
// handed the next page by this process when there is a worker free and the
// memory for the page beside those already running.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/PageRun.h"

namespace tessel::cli {

struct PageJob {
  std::string input;
  std::string output;
};

struct BatchState {
  size_t running = 0;           // pages being filled
  size_t waitingForMemory = 0;  // pages a free worker could start, held back until there is memory for them
};

struct BatchCallbacks {
  // Each page's result, in the order they finish; called in this process.
  // `retried`: the page's first worker was killed, and this is the result of
  // its second run, alone.
  std::function<void(size_t index, const pipeline::PageResult& result, bool retried)> finished;
  // Rows done on the page being filled; only when pages run in this process.
  std::function<void(size_t index, int32_t done, int32_t total)> rows;
  // As pages start, finish or wait for memory; only when pages run in workers.
  std::function<void(const BatchState& state)> state;
};

struct BatchLimits {
  int jobs = 1;  // pages at once at most
  // Pages that may start the window system (the dialog) run in workers even
  // alone, so that this process can still fork cleanly afterwards.
  bool workersOnly = false;
  // The most memory a page takes as it runs (pipeline::PeakBytes); 0 when
  // unknown. None: pages start as workers are free.
  std::function<int64_t(const PageJob& page)> peak;
  std::string memoryRoot = "/";  // where /proc and the cgroups are read (see base::AvailableMemory)
};

// Runs every page, in this process when `jobs` is 1 (or there is one page)
// unless `workersOnly`, else in up to `jobs` worker processes. A page starts
// in a worker only when its peak fits in the memory available beside what
// the pages already running may still take; with none running it starts
// whatever its peak, and reads the page only if its pixels fit, as a page
// alone does. After an interrupt no further page starts; those left are
// reported cancelled. A worker that dies takes only its current page with
// it. Killed (as the out-of-memory killer kills), the page runs once more,
// alone, once the others running have finished; a worker that ends any
// other way, or a page killed twice, is reported failed. Workers are forked
// as pages need them: this process must not have run libvips' thread pool
// (written or decoded pixels) before, or they would wait on its threads.
std::vector<pipeline::PageResult> RunBatch(const host::PluginModule& module, const std::vector<PageJob>& pages,
                                           const pipeline::RunSettings& settings, const BatchLimits& limits,
                                           const BatchCallbacks& callbacks);

}  // namespace tessel::cli
