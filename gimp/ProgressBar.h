// GIMP's progress bar over the filter's progress reports, for either GIMP.
#pragma once

#include <functional>
#include <utility>

#include "host/ProgressServices.h"

namespace tessel::gimp {

class ProgressBar {
 public:
  // `start` shows the bar, `update` sets it to a fraction of the whole run.
  ProgressBar(std::function<void()> start, std::function<void(double)> update)
      : mStart(std::move(start)), mUpdate(std::move(update)) {}

  // The hook for the filter's reports on drawable `index` of `count`. The
  // bar starts with the first report, after the filter's dialog, and moves
  // a hundred times a run at most: each update is a message to GIMP.
  host::ProgressServices::ProgressHook Drawable(int index, int count);

 private:
  std::function<void()> mStart;
  std::function<void(double)> mUpdate;
  int mShown = -1;  // the percentage shown; none yet
};

}  // namespace tessel::gimp
