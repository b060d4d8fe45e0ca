#include "gimp/ProgressBar.h"

namespace tessel::gimp {

host::ProgressServices::ProgressHook ProgressBar::Drawable(int index, int count) {
  return [this, index, count](int32_t done, int32_t total) {
    const double fraction = (index + (total > 0 ? static_cast<double>(done) / total : 0.0)) / count;
    const int percent = static_cast<int>(100 * fraction);
    if (percent == mShown) return;
    if (mShown < 0) mStart();
    mShown = percent;
    mUpdate(percent / 100.0);
  };
}

}  // namespace tessel::gimp
