// The filter's regions found while its scan goes on: the rows it has
// finished for good are compared with the page as read on a thread of their
// own, so that the flats find most of their regions ready when it returns.
#pragma once

#include <cstdint>
#include <thread>

#include "flats/RegionMask.h"
#include "host/ImageBuffer.h"
#include "host/RowGate.h"

namespace tessel::host {

class RegionsAsScanned {
 public:
  // Starts comparing `asRead` with `result` (the page the filter paints) row
  // by row as `scanned` releases rows of `result`; all three must outlive
  // this object.
  RegionsAsScanned(const ImageBuffer& asRead, const ImageBuffer& result, RowGate& scanned);
  // Unless finished: gives `scanned` up and waits for the thread.
  ~RegionsAsScanned();
  RegionsAsScanned(const RegionsAsScanned&) = delete;
  RegionsAsScanned& operator=(const RegionsAsScanned&) = delete;

  // Releases the rows the scan left and returns the pixels the filter
  // changed, as flats::ChangedPixels finds them.
  flats::RegionMask Finish();

 private:
  RowGate& mScanned;
  flats::RegionMask mMask;
  std::thread mThread;
};

}  // namespace tessel::host
