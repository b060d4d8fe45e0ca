// A one-line progress bar on standard error, drawn only when standard error
// is a terminal, so logs and pipes stay clean.
#pragma once

#include <cstdint>
#include <string>

namespace tessel::cli {

class ProgressBar {
 public:
  ProgressBar();
  // Clears the line.
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool shown() const { return mShown; }
  // Redraws "label [####    ]  45%" when the percentage changed.
  void Show(const std::string& label, int64_t done, int64_t total);
  // Clears the bar, e.g. before a message line.
  void Clear();

 private:
  bool mShown;
  int mLastPercent = -1;
  std::string mLastLabel;
  bool mDrawn = false;
};

}  // namespace tessel::cli
