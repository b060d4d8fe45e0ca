#include "pipeline/RegionsAsScanned.h"

#include <algorithm>
#include <stdexcept>

namespace tessel::pipeline {

RegionsAsScanned::RegionsAsScanned(const base::ImageBuffer& asRead, const base::ImageBuffer& result,
                                   base::RowGate& scanned, bool runs)
    : mScanned(scanned), mMask(result.width(), result.height()) {
  if (runs) mRuns.emplace();
  if (asRead.width() != result.width() || asRead.height() != result.height() || asRead.planes() != result.planes())
    throw std::invalid_argument("the page before and after the run differ in size");
  mThread = std::thread([this, &asRead, &result] {
    // Bands of a few rows, while the scan's rows are still in the cache.
    constexpr int64_t kBandRows = 32;
    for (int64_t done = 0; done < mMask.height();) {
      const int64_t next = std::min(done + kBandRows, mMask.height());
      if (!mScanned.AwaitRows(next)) return;
      flats::MarkChangedPixels(asRead, result, mMask, done, next);
      try {
        if (mRuns) flats::AddRegionRuns(mMask, done, next, *mRuns);
      } catch (const std::exception&) {
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

flats::RegionMask RegionsAsScanned::Finish(std::optional<flats::RegionRuns>* runs) {
  mScanned.Release(mMask.height());
  mThread.join();
  if (runs) *runs = std::move(mRuns);
  return std::move(mMask);
}

}  // namespace tessel::pipeline
