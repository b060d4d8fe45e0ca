#include "cli/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace tessel::cli {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

ProgressBar::ProgressBar() : mShown(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Show(const std::string& label, int64_t done, int64_t total) {
  if (!mShown || total <= 0) return;
  const int percent = static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
  if (percent == mLastPercent && label == mLastLabel) return;
  mLastPercent = percent;
  mLastLabel = label;
  const int filled = percent * kBarWidth / 100;
  std::fprintf(stderr, "\r\033[K%s [%s%s] %3d%%", label.c_str(), std::string(static_cast<size_t>(filled), '#').c_str(),
               std::string(static_cast<size_t>(kBarWidth - filled), ' ').c_str(), percent);
  std::fflush(stderr);
  mDrawn = true;
}

void ProgressBar::Clear() {
  if (!mDrawn) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  mDrawn = false;
  mLastPercent = -1;
}

}  // namespace tessel::cli
