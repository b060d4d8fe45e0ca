#include "cli/Batch.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include <nlohmann/json.hpp>

#include "cli/Interrupt.h"

namespace tessel::cli {

namespace {

pipeline::PageResult NotStarted(const PageJob& page) {
  return {pipeline::PageOutcome::kCancelled, page.input + ": not started after the interrupt", std::nullopt, {}};
}

pipeline::PageHooks HooksFor(size_t index, const BatchCallbacks& callbacks) {
  pipeline::PageHooks hooks;
  if (callbacks.rows) hooks.progress = [&callbacks, index](int32_t done, int32_t total) { callbacks.rows(index, done, total); };
  hooks.abort = [] { return InterruptRequested(); };
  return hooks;
}

std::vector<pipeline::PageResult> RunHere(const host::PluginModule& module, const std::vector<PageJob>& pages,
                                const pipeline::RunSettings& settings, const BatchCallbacks& callbacks) {
  std::vector<pipeline::PageResult> results;
  for (size_t i = 0; i < pages.size(); ++i) {
    results.push_back(InterruptRequested() ? NotStarted(pages[i])
                                           : pipeline::RunPage(module, pages[i].input, pages[i].output, settings,
                                                     HooksFor(i, callbacks)));
    if (callbacks.finished) callbacks.finished(i, results.back());
  }
  return results;
}

// What workers and the parent share: the next page to take and each page's
// state and result, in one anonymous shared mapping.
enum PageState : int { kWaiting, kRunning, kFinished };

struct SharedPage {
  std::atomic<int> state;
  int outcome;
  char message[1024];
  pipeline::PageTimings timings;
};

constexpr size_t kRecordedBytes = 64 * 1024;

struct SharedBoard {
  std::atomic<size_t> next;
  std::atomic<int> recordedClaimed;
  size_t recordedSize;
  char recorded[kRecordedBytes];
  SharedPage pages[1];  // as many as there are pages
};

class Board {
 public:
  explicit Board(size_t pages) : mBytes(sizeof(SharedBoard) + sizeof(SharedPage) * pages) {
    void* memory = mmap(nullptr, mBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    mBoard = new (memory) SharedBoard();  // the mapping is zeroed: every page waiting
  }
  ~Board() { munmap(mBoard, mBytes); }
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;
  SharedBoard& operator*() { return *mBoard; }
  SharedBoard* operator->() { return mBoard; }

 private:
  size_t mBytes;
  SharedBoard* mBoard;
};

void Publish(SharedBoard& board, size_t index, const pipeline::PageResult& result) {
  SharedPage& page = board.pages[index];
  page.outcome = static_cast<int>(result.outcome);
  page.timings = result.timings;
  std::snprintf(page.message, sizeof page.message, "%s", result.message.c_str());
  if (result.recorded && board.recordedClaimed.exchange(1) == 0) {
    const std::string text = base::DescriptorToJson(*result.recorded).dump();
    board.recordedSize = std::min(text.size(), kRecordedBytes);
    std::memcpy(board.recorded, text.data(), board.recordedSize);
  }
  page.state.store(kFinished);
}

[[noreturn]] void Work(SharedBoard& board, const host::PluginModule& module, const std::vector<PageJob>& pages,
                       const pipeline::RunSettings& settings) {
  for (size_t i; !InterruptRequested() && (i = board.next.fetch_add(1)) < pages.size();) {
    board.pages[i].state.store(kRunning);
    Publish(board, i, pipeline::RunPage(module, pages[i].input, pages[i].output, settings, HooksFor(i, {})));
  }
  _exit(0);
}

pipeline::PageResult Collect(SharedBoard& board, size_t index, const PageJob& page) {
  const SharedPage& shared = board.pages[index];
  switch (shared.state.load()) {
    case kWaiting:
      return NotStarted(page);
    case kRunning:
      return {pipeline::PageOutcome::kFailed,
              page.input + ": the worker process filling it ended abnormally",
              std::nullopt,
              {}};
    default:
      break;
  }
  pipeline::PageResult result{static_cast<pipeline::PageOutcome>(shared.outcome), shared.message, std::nullopt,
                              shared.timings};
  if (result.outcome == pipeline::PageOutcome::kDone && board.recordedClaimed.load() && board.recordedSize) {
    try {
      result.recorded =
          base::DescriptorFromJson(nlohmann::json::parse(std::string(board.recorded, board.recordedSize)));
    } catch (const std::exception&) {
      // The page is done all the same; only the recording is missing.
    }
  }
  return result;
}

std::vector<pipeline::PageResult> RunInWorkers(const host::PluginModule& module, const std::vector<PageJob>& pages,
                                     const pipeline::RunSettings& settings, int jobs, const BatchCallbacks& callbacks) {
  Board board(pages.size());
  std::vector<pid_t> workers;
  std::fflush(nullptr);
  for (int w = 0; w < jobs; ++w) {
    const pid_t pid = fork();
    if (pid == 0) Work(*board, module, pages, settings);
    if (pid > 0) workers.push_back(pid);
  }
  if (workers.empty()) return RunHere(module, pages, settings, callbacks);  // no process to spare
  std::vector<pipeline::PageResult> results(pages.size());
  std::vector<bool> reported(pages.size(), false);
  auto reportFinished = [&](bool all) {
    for (size_t i = 0; i < pages.size(); ++i) {
      if (reported[i] || (!all && board->pages[i].state.load() != kFinished)) continue;
      results[i] = Collect(*board, i, pages[i]);
      reported[i] = true;
      if (callbacks.finished) callbacks.finished(i, results[i]);
    }
  };
  while (!workers.empty()) {
    int status = 0;
    const pid_t ended = waitpid(-1, &status, WNOHANG);
    if (ended > 0) workers.erase(std::remove(workers.begin(), workers.end(), ended), workers.end());
    else if (ended < 0 && errno != EINTR) break;
    else usleep(50 * 1000);
    reportFinished(false);
  }
  reportFinished(true);
  return results;
}

}  // namespace

std::vector<pipeline::PageResult> RunBatch(const host::PluginModule& module, const std::vector<PageJob>& pages,
                                 const pipeline::RunSettings& settings, int jobs, const BatchCallbacks& callbacks,
                                 bool workersOnly) {
  jobs = static_cast<int>(std::min<size_t>(static_cast<size_t>(std::max(jobs, 1)), pages.size()));
  if (jobs <= 1 && !workersOnly) return RunHere(module, pages, settings, callbacks);
  return RunInWorkers(module, pages, settings, jobs, callbacks);
}

}  // namespace tessel::cli
