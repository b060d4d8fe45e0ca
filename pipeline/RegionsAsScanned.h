// The filter's regions found while its scan goes on: the rows it has
// finished for good are compared with the page as read on a thread of their
// own, so that the flats find most of their regions ready when it returns;
// and, for flats that recolour the regions, found as runs of their rows.
#pragma once

#include <cstdint>
#include <optional>
#include <thread>

#include "base/ImageBuffer.h"
#include "base/RowGate.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"

namespace tessel::pipeline {

class RegionsAsScanned {
 public:
  // Starts comparing `asRead` with `result` (the page the filter paints) row
  // by row as `scanned` releases rows of `result`, and with `runs`, finding
  // the regions' runs in them too; all three must outlive this object.
  RegionsAsScanned(const base::ImageBuffer& asRead, const base::ImageBuffer& result, base::RowGate& scanned,
                   bool runs = false);
  // Unless finished: gives `scanned` up and waits for the thread.
  ~RegionsAsScanned();
  RegionsAsScanned(const RegionsAsScanned&) = delete;
  RegionsAsScanned& operator=(const RegionsAsScanned&) = delete;

  // Releases the rows the scan left and returns the pixels the filter
  // changed, as flats::ChangedPixels finds them; with runs, those too, as
  // flats::AddRegionRuns leaves them, to be labelled.
  flats::RegionMask Finish(std::optional<flats::RegionRuns>* runs = nullptr);

 private:
  base::RowGate& mScanned;
  flats::RegionMask mMask;
  std::optional<flats::RegionRuns> mRuns;
  std::thread mThread;
};

}  // namespace tessel::pipeline
