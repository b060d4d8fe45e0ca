#include "pipeline/RegionsAsScanned.h"

#include <algorithm>
#include <stdexcept>

namespace tessel::pipeline {

RegionsAsScanned::RegionsAsScanned(const base::ImageBuffer& asRead, const base::ImageBuffer& result,
                                   base::RowGate& scanned, Finds finds)
    : mScanned(scanned), mMask(result.width(), result.height()) {
  if (asRead.width() != result.width() || asRead.height() != result.height() || asRead.planes() != result.planes())
    throw std::invalid_argument("the page before and after the run differ in size");
  if (finds != kMask) mRuns.emplace();
  if (finds == kRunsAndLines) {
    mLines.emplace(mMask, *mRuns, 0);
    // Room for a row of spans every other column, in address space alone,
    // as for the runs: growing by copies would hold up this thread.
    try {
      mLines->Reserve(static_cast<size_t>((mMask.width() / 2 + 1) * mMask.height()));
    } catch (const std::exception&) {
    }
  }
  mThread = std::thread([this, &asRead, &result] {
    // Bands of a few rows, while the scan's rows are still in the cache.
    constexpr int64_t kBandRows = 32;
    for (int64_t done = 0; done < mMask.height();) {
      const int64_t next = std::min(done + kBandRows, mMask.height());
      FindLinesWhileWaiting(done, next);
      if (!mScanned.AwaitRows(next)) return;
      flats::MarkChangedPixels(asRead, result, mMask, done, next);
      try {
        if (mRuns) flats::AddRegionRuns(mMask, done, next, *mRuns);
      } catch (const std::exception&) {
        mLines.reset();
        mRuns.reset();  // found again after the scan, where a failure is reported
      }
      done = next;
    }
  });
}

RegionsAsScanned::~RegionsAsScanned() {
  if (!mThread.joinable()) return;
  mScanned.GiveUp();
  mThread.join();
}

// Rows of the map under the lines, one at a time while the scan has not
// released `next`: the core is otherwise idle, and the run's critical path
// after the scan shortens by what is found here. Rows [0, rows) of the mask
// and the runs are there; a row whose nearest region pixels may lie below
// them waits.
void RegionsAsScanned::FindLinesWhileWaiting(int64_t rows, int64_t next) {
  try {
    while (mLines && !mScanned.Ready(next) && mLines->FindNext(rows)) {
    }
  } catch (const std::exception&) {
    mLines.reset();  // found after the scan instead
  }
}

flats::RegionMask RegionsAsScanned::Finish(std::optional<flats::RegionRuns>* runs, flats::LineSpans::Band* lines) {
  mScanned.Release(mMask.height());
  mThread.join();
  if (lines && mLines) *lines = mLines->Take();
  mLines.reset();
  if (runs) *runs = std::move(mRuns);
  return std::move(mMask);
}

}  // namespace tessel::pipeline
