#include "host/ProgressServices.h"

namespace tessel::host {

namespace {

ProgressServices* sCurrent = nullptr;

}  // namespace

ProgressServices::ProgressServices(FilterRecord& record) : mRecord(record) {
  SetProgressAvailable(true);
  SetAbortAvailable(true);
  MakeCurrent();
}

ProgressServices::~ProgressServices() {
  if (sCurrent == this) sCurrent = nullptr;
}

void ProgressServices::MakeCurrent() { sCurrent = this; }

void ProgressServices::SetProgressAvailable(bool available) {
  mRecord.progressProc = available ? &ProgressServices::Progress : nullptr;
}

void ProgressServices::SetAbortAvailable(bool available) {
  mRecord.abortProc = available ? &ProgressServices::Abort : nullptr;
}

void ProgressServices::Progress(int32_t done, int32_t total) {
  if (!sCurrent) return;
  sCurrent->mReports.emplace_back(done, total);
  if (sCurrent->mProgressHook) sCurrent->mProgressHook(done, total);
}

Boolean ProgressServices::Abort() { return sCurrent && sCurrent->ShouldAbort(); }

bool ProgressServices::ShouldAbort() {
  ++mAbortChecks;
  const int32_t rowsDone = mReports.empty() ? 0 : mReports.back().first;
  if (mAbortFromRow && rowsDone >= *mAbortFromRow) return true;
  return mAbortHook && mAbortHook();
}

}  // namespace tessel::host
