#include "cli/Batch.h"

#include <semaphore.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <deque>
#include <new>

#include <nlohmann/json.hpp>

#include "base/AvailableMemory.h"
#include "cli/Interrupt.h"
#include "io/PendingOutput.h"

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
    if (callbacks.finished) callbacks.finished(i, results.back(), false);
  }
  return results;
}

// What workers and this process share, in one anonymous shared mapping: a
// semaphore each worker waits on for its next page, one this process waits
// on for pages to finish, and each page's result.
constexpr int64_t kQuit = -1;

struct SharedWorker {
  sem_t go;
  std::atomic<int64_t> page;  // the page to fill next, or kQuit
};

struct SharedPage {
  std::atomic<bool> finished;
  int outcome;
  char message[1024];
  pipeline::PageTimings timings;
};

constexpr size_t kRecordedBytes = 64 * 1024;

struct SharedBoard {
  sem_t changed;  // posted as each page finishes
  std::atomic<int> recordedClaimed;
  size_t recordedSize;
  char recorded[kRecordedBytes];
};

class Board {
 public:
  Board(size_t workers, size_t pages)
      : mWorkersAt(sizeof(SharedBoard)),
        mPagesAt(mWorkersAt + sizeof(SharedWorker) * workers),
        mBytes(mPagesAt + sizeof(SharedPage) * pages),
        mWorkers(workers) {
    void* memory = mmap(nullptr, mBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    mMemory = static_cast<char*>(memory);  // zeroed: no page finished
    new (mMemory) SharedBoard();
    sem_init(&board().changed, 1, 0);
    for (size_t w = 0; w < workers; ++w) {
      new (&worker(w)) SharedWorker();
      sem_init(&worker(w).go, 1, 0);
    }
    for (size_t i = 0; i < pages; ++i) new (&page(i)) SharedPage();
  }
  ~Board() {
    for (size_t w = 0; w < mWorkers; ++w) sem_destroy(&worker(w).go);
    sem_destroy(&board().changed);
    munmap(mMemory, mBytes);
  }
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  SharedBoard& board() { return *reinterpret_cast<SharedBoard*>(mMemory); }
  SharedWorker& worker(size_t w) { return reinterpret_cast<SharedWorker*>(mMemory + mWorkersAt)[w]; }
  SharedPage& page(size_t i) { return reinterpret_cast<SharedPage*>(mMemory + mPagesAt)[i]; }

 private:
  size_t mWorkersAt;
  size_t mPagesAt;
  size_t mBytes;
  size_t mWorkers;
  char* mMemory = nullptr;
};

void Publish(Board& board, size_t index, const pipeline::PageResult& result) {
  SharedPage& page = board.page(index);
  page.outcome = static_cast<int>(result.outcome);
  page.timings = result.timings;
  std::snprintf(page.message, sizeof page.message, "%s", result.message.c_str());
  SharedBoard& shared = board.board();
  if (result.recorded && shared.recordedClaimed.exchange(1) == 0) {
    const std::string text = base::DescriptorToJson(*result.recorded).dump();
    shared.recordedSize = std::min(text.size(), kRecordedBytes);
    std::memcpy(shared.recorded, text.data(), shared.recordedSize);
  }
  page.finished.store(true);
  sem_post(&shared.changed);
}

pipeline::PageResult Collect(Board& board, size_t index) {
  const SharedPage& page = board.page(index);
  pipeline::PageResult result{static_cast<pipeline::PageOutcome>(page.outcome), page.message, std::nullopt,
                              page.timings};
  const SharedBoard& shared = board.board();
  if (result.outcome == pipeline::PageOutcome::kDone && shared.recordedClaimed.load() && shared.recordedSize) {
    try {
      result.recorded =
          base::DescriptorFromJson(nlohmann::json::parse(std::string(shared.recorded, shared.recordedSize)));
    } catch (const std::exception&) {
      // The page is done all the same; only the recording is missing.
    }
  }
  return result;
}

timespec After(long milliseconds) {
  timespec at{};
  clock_gettime(CLOCK_REALTIME, &at);
  at.tv_nsec += milliseconds * 1000000;
  at.tv_sec += at.tv_nsec / 1000000000;
  at.tv_nsec %= 1000000000;
  return at;
}

// A worker: fills the pages it is handed until told to quit, or until the
// process that forked it is gone.
[[noreturn]] void Work(Board& board, size_t slot, const host::PluginModule& module, const std::vector<PageJob>& pages,
                       const pipeline::RunSettings& settings, pid_t parent) {
  SharedWorker& self = board.worker(slot);
  for (;;) {
    const timespec deadline = After(1000);
    if (sem_timedwait(&self.go, &deadline) != 0) {
      if (getppid() != parent) break;
      continue;
    }
    const int64_t i = self.page.load();
    if (i == kQuit) break;
    const auto index = static_cast<size_t>(i);
    const PageJob& page = pages[index];
    Publish(board, index, pipeline::RunPage(module, page.input, page.output, settings, HooksFor(index, {})));
  }
  _exit(0);
}

// This process's side: which worker fills which page, which page may start,
// what each ended with.
class Scheduler {
 public:
  Scheduler(const host::PluginModule& module, const std::vector<PageJob>& pages, const pipeline::RunSettings& settings,
            const BatchLimits& limits, const BatchCallbacks& callbacks)
      : mModule(module),
        mPages(pages),
        mSettings(settings),
        mLimits(limits),
        mCallbacks(callbacks),
        mBoard(static_cast<size_t>(limits.jobs), pages.size()),
        mWorkers(static_cast<size_t>(limits.jobs)),
        mResults(pages.size()),
        mReported(pages.size(), false),
        mRetried(pages.size(), false) {
    // Every header is read before the first fork: nothing of the readers'
    // runs in this process while it forks workers.
    for (const PageJob& page : pages) mPeaks.push_back(limits.peak ? limits.peak(page) : 0);
  }

  std::vector<pipeline::PageResult> Run() {
    std::fflush(nullptr);
    while (mReportedCount < mPages.size()) {
      Settle();
      if (InterruptRequested()) {
        if (Running() == 0) break;
      } else {
        Admit();
      }
      ShowState();
      if (mReportedCount == mPages.size()) break;
      const timespec deadline = After(50);
      sem_timedwait(&mBoard.board().changed, &deadline);
    }
    for (size_t w = 0; w < mWorkers.size(); ++w)
      if (mWorkers[w].pid > 0) {
        mBoard.worker(w).page.store(kQuit);
        sem_post(&mBoard.worker(w).go);
      }
    for (Worker& worker : mWorkers)
      if (worker.pid > 0) waitpid(worker.pid, nullptr, 0);
    for (const size_t i : mRetries)
      Report(i, {pipeline::PageOutcome::kCancelled,
                 mPages[i].input + ": its worker was killed, and it was not run again after the interrupt",
                 std::nullopt,
                 {}});
    for (size_t i = 0; i < mPages.size(); ++i)
      if (!mReported[i]) Report(i, NotStarted(mPages[i]));
    return std::move(mResults);
  }

 private:
  struct Worker {
    pid_t pid = 0;            // none yet, or it ended
    int64_t page = -1;        // the page it fills, or none
    int64_t heldAtStart = 0;  // its anonymous memory when it was handed the page
  };

  size_t Running() const {
    return static_cast<size_t>(
        std::count_if(mWorkers.begin(), mWorkers.end(), [](const Worker& w) { return w.page >= 0; }));
  }

  void Report(size_t index, pipeline::PageResult result) {
    mResults[index] = std::move(result);
    mReported[index] = true;
    ++mReportedCount;
    if (mCallbacks.finished) mCallbacks.finished(index, mResults[index], mRetried[index]);
  }

  // Takes in the pages finished and the workers that ended.
  void Settle() {
    for (Worker& worker : mWorkers) {
      if (worker.page >= 0 && mBoard.page(static_cast<size_t>(worker.page)).finished.load()) Finished(worker);
      int status = 0;
      if (worker.pid <= 0 || waitpid(worker.pid, &status, WNOHANG) != worker.pid) continue;
      worker.pid = 0;
      // It may have finished its page just before it ended.
      if (worker.page >= 0 && mBoard.page(static_cast<size_t>(worker.page)).finished.load()) Finished(worker);
      if (worker.page >= 0) Lost(worker, status);
    }
  }

  void Finished(Worker& worker) {
    const auto index = static_cast<size_t>(worker.page);
    worker.page = -1;
    pipeline::PageResult result = Collect(mBoard, index);
    if (mRetried[index])
      result.message += (result.message.empty() ? "" : "\n") + mPages[index].input +
                        ": run again alone after its worker was killed (SIGKILL, as the kernel ends a process when "
                        "memory runs out)";
    Report(index, std::move(result));
  }

  // The worker ended with its page unfinished.
  void Lost(Worker& worker, int status) {
    const auto index = static_cast<size_t>(worker.page);
    worker.page = -1;
    // Its output's temporary file is left where it was being written.
    io::RemoveLeftTemporaries(mPages[index].output);
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    if (killed && !mRetried[index] && !InterruptRequested()) {
      mRetried[index] = true;
      mRetries.push_back(index);
      return;
    }
    std::string message = mPages[index].input + ": the worker process filling it ended abnormally";
    if (mRetried[index]) message += ", also when it was run again alone";
    Report(index, {pipeline::PageOutcome::kFailed, std::move(message), std::nullopt, {}});
  }

  // Starts what may start: a page killed before, alone once nothing else
  // runs; else the next pages while workers are free and memory allows.
  void Admit() {
    mWaiting = 0;
    if (mAlone && Running() > 0) return;
    mAlone = false;
    if (!mRetries.empty()) {
      if (Running() > 0) return;
      const size_t index = mRetries.front();
      mRetries.pop_front();
      mAlone = Start(index);
      return;
    }
    while (mNext < mPages.size()) {
      const size_t free = static_cast<size_t>(
          std::count_if(mWorkers.begin(), mWorkers.end(), [](const Worker& w) { return w.page < 0; }));
      if (free == 0) return;
      if (Running() > 0 && !Fits(mPeaks[mNext])) {
        mWaiting = std::min(free, mPages.size() - mNext);
        return;
      }
      if (!Start(mNext)) return;
      ++mNext;
    }
  }

  // Whether a page of `peak` bytes fits in what is available beside what the
  // pages running may still take: their peaks, less what their workers have
  // taken since they started them (the kernel counts that as used already).
  bool Fits(int64_t peak) const {
    int64_t toCome = 0;
    for (const Worker& worker : mWorkers) {
      if (worker.page < 0) continue;
      const int64_t taken = base::ResidentAnonymous(worker.pid, mLimits.memoryRoot) - worker.heldAtStart;
      toCome += std::max<int64_t>(0, mPeaks[static_cast<size_t>(worker.page)] - std::max<int64_t>(0, taken));
    }
    return peak <= base::AvailableMemory(mLimits.memoryRoot) - toCome;
  }

  // Hands the page to a free worker, forking one if need be; false when it
  // must wait. With no process to be had, the page runs here, and no worker
  // is forked after it: a page's run leaves libvips' threads in this process,
  // which a forked worker would wait on and never have.
  bool Start(size_t index) {
    auto free = std::find_if(mWorkers.begin(), mWorkers.end(), [](const Worker& w) { return w.pid > 0 && w.page < 0; });
    if (free == mWorkers.end()) {
      free = std::find_if(mWorkers.begin(), mWorkers.end(), [](const Worker& w) { return w.pid <= 0; });
      if (free == mWorkers.end()) return false;
      const auto slot = static_cast<size_t>(free - mWorkers.begin());
      const pid_t parent = getpid();
      const pid_t pid = mRanHere ? -1 : fork();
      if (pid == 0) Work(mBoard, slot, mModule, mPages, mSettings, parent);
      if (pid < 0) return StartHere(index);
      free->pid = pid;
    }
    const auto slot = static_cast<size_t>(free - mWorkers.begin());
    free->page = static_cast<int64_t>(index);
    free->heldAtStart = base::ResidentAnonymous(free->pid, mLimits.memoryRoot);
    mBoard.worker(slot).page.store(free->page);
    sem_post(&mBoard.worker(slot).go);
    return true;
  }

  // With no worker at all to be had, the page runs in this process.
  bool StartHere(size_t index) {
    if (Running() > 0) return false;
    mRanHere = true;
    Report(index, pipeline::RunPage(mModule, mPages[index].input, mPages[index].output, mSettings,
                                    HooksFor(index, mCallbacks)));
    return true;
  }

  void ShowState() {
    const BatchState state{Running(), mWaiting};
    if (state.running == mShown.running && state.waitingForMemory == mShown.waitingForMemory) return;
    mShown = state;
    if (mCallbacks.state) mCallbacks.state(state);
  }

  const host::PluginModule& mModule;
  const std::vector<PageJob>& mPages;
  const pipeline::RunSettings& mSettings;
  const BatchLimits& mLimits;
  const BatchCallbacks& mCallbacks;
  Board mBoard;
  std::vector<Worker> mWorkers;
  std::vector<int64_t> mPeaks;
  std::vector<pipeline::PageResult> mResults;
  std::vector<bool> mReported;
  std::vector<bool> mRetried;
  std::deque<size_t> mRetries;  // killed once, to run again alone
  size_t mReportedCount = 0;
  size_t mNext = 0;  // the first page not yet started
  size_t mWaiting = 0;
  bool mAlone = false;  // a page killed before runs again, and nothing beside it
  bool mRanHere = false;
  BatchState mShown;
};

}  // namespace

std::vector<pipeline::PageResult> RunBatch(const host::PluginModule& module, const std::vector<PageJob>& pages,
                                           const pipeline::RunSettings& settings, const BatchLimits& limits,
                                           const BatchCallbacks& callbacks) {
  BatchLimits bounded = limits;
  bounded.jobs = static_cast<int>(std::min<size_t>(static_cast<size_t>(std::max(limits.jobs, 1)), pages.size()));
  if (pages.empty() || (bounded.jobs <= 1 && !limits.workersOnly)) return RunHere(module, pages, settings, callbacks);
  return Scheduler(module, pages, settings, bounded, callbacks).Run();
}

}  // namespace tessel::cli
