#include "base/RowGate.h"

namespace tessel::base {

void RowGate::Release(int64_t rows) {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (rows <= mReleased) return;
    mReleased = rows;
  }
  mChanged.notify_all();
}

void RowGate::GiveUp() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mGivenUp = true;
  }
  mChanged.notify_all();
}

bool RowGate::AwaitRows(int64_t rows) {
  std::unique_lock<std::mutex> lock(mMutex);
  mChanged.wait(lock, [&] { return mGivenUp || mReleased >= rows; });
  return !mGivenUp;
}

bool RowGate::Ready(int64_t rows) {
  std::lock_guard<std::mutex> lock(mMutex);
  return mGivenUp || mReleased >= rows;
}

}  // namespace tessel::base
