// The editor's progress display and abort check as a filter reaches them
// through the record's progressProc and abortProc.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "interface/PhotoshopHost.h"

namespace tessel::host {

class ProgressServices {
 public:
  using ProgressHook = std::function<void(int32_t done, int32_t total)>;
  using AbortHook = std::function<bool()>;

  // Installs both callbacks into `record`, which must outlive this object.
  explicit ProgressServices(FilterRecord& record);
  ~ProgressServices();
  ProgressServices(const ProgressServices&) = delete;
  ProgressServices& operator=(const ProgressServices&) = delete;

  // Leaves a callback out of the record (null), as a host without it would.
  void SetProgressAvailable(bool available);
  void SetAbortAvailable(bool available);

  // Called on every progress report, e.g. to draw a progress bar.
  void OnProgress(ProgressHook hook) { mProgressHook = std::move(hook); }
  // Asked on every abort check, e.g. whether Ctrl-C was pressed.
  void OnAbortCheck(AbortHook hook) { mAbortHook = std::move(hook); }
  // abortProc answers true once the last progress report says at least
  // `rows` are done (0: at once); nothing turns it off again.
  void AbortFromRow(int32_t rows) { mAbortFromRow = rows; }

  // Every progress report so far, (done, total) in order.
  const std::vector<std::pair<int32_t, int32_t>>& reports() const { return mReports; }
  int abortChecks() const { return mAbortChecks; }

  // Makes this object the one the C callbacks answer from.
  void MakeCurrent();

 private:
  static void Progress(int32_t done, int32_t total);
  static Boolean Abort();
  bool ShouldAbort();

  FilterRecord& mRecord;
  ProgressHook mProgressHook;
  AbortHook mAbortHook;
  std::optional<int32_t> mAbortFromRow;
  std::vector<std::pair<int32_t, int32_t>> mReports;
  int mAbortChecks = 0;
};

}  // namespace tessel::host
