// The filter's regions found while its scan goes on: the rows it has
// finished for good are compared with the page as read on a thread of their
// own, so that the flats find most of their regions ready when it returns.
#pragma once

#include <cstdint>
#include <thread>

#include "base/ImageBuffer.h"
#include "base/RowGate.h"
#include "flats/RegionMask.h"

namespace tessel::pipeline {

class RegionsAsScanned {
 public:
  // Starts comparing `asRead` with `result` (the page the filter paints) row
  // by row as `scanned` releases rows of `result`; all three must outlive
  // this object.
  RegionsAsScanned(const base::ImageBuffer& asRead, const base::ImageBuffer& result, base::RowGate& scanned);
  // Unless finished: gives `scanned` up and waits for the thread.
  ~RegionsAsScanned();
  RegionsAsScanned(const RegionsAsScanned&) = delete;
  RegionsAsScanned& operator=(const RegionsAsScanned&) = delete;

  // Releases the rows the scan left and returns the pixels the filter
  // changed, as flats::ChangedPixels finds them.
  flats::RegionMask Finish();

 private:
  base::RowGate& mScanned;
  flats::RegionMask mMask;
  std::thread mThread;
};

}  // namespace tessel::pipeline
