// The filter's regions found while its scan goes on: the rows it has
// finished for good are compared with the page as read on a thread of their
// own, so that the flats find most of their regions ready when it returns;
// and, for flats that recolour the regions, found as runs of their rows;
// and, for flats recoloured apart, the nearest-region map under the lines,
// found while the thread would wait for the scan.
#pragma once

#include <cstdint>
#include <optional>
#include <thread>

#include "base/ImageBuffer.h"
#include "base/RowGate.h"
#include "flats/LineSpanFinder.h"
#include "flats/LineSpans.h"
#include "flats/RegionMask.h"
#include "flats/RegionRuns.h"

namespace tessel::pipeline {

class RegionsAsScanned {
 public:
  // What is found beside the mask.
  enum Finds { kMask, kRuns, kRunsAndLines };

  // Starts comparing `asRead` with `result` (the page the filter paints) row
  // by row as `scanned` releases rows of `result`, finding what `finds` asks
  // for in them too; all three must outlive this object.
  RegionsAsScanned(const base::ImageBuffer& asRead, const base::ImageBuffer& result, base::RowGate& scanned,
                   Finds finds = kMask);
  // Unless finished: gives `scanned` up and waits for the thread.
  ~RegionsAsScanned();
  RegionsAsScanned(const RegionsAsScanned&) = delete;
  RegionsAsScanned& operator=(const RegionsAsScanned&) = delete;

  // Releases the rows the scan left and returns the pixels the filter
  // changed, as flats::ChangedPixels finds them; with runs, those too, as
  // flats::AddRegionRuns leaves them, to be labelled; with lines, the rows
  // of the map under the lines found, as flats::FindLineSpans takes them.
  flats::RegionMask Finish(std::optional<flats::RegionRuns>* runs = nullptr, flats::LineSpans::Band* lines = nullptr);

 private:
  void FindLinesWhileWaiting(int64_t rows, int64_t next);

  base::RowGate& mScanned;
  flats::RegionMask mMask;
  std::optional<flats::RegionRuns> mRuns;
  std::optional<flats::LineSpanFinder> mLines;
  std::thread mThread;
};

}  // namespace tessel::pipeline
