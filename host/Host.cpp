#include "host/Host.h"

#include <time.h>

#include <chrono>

#include "host/ColorChooserLoader.h"

namespace tessel::host {

namespace {

bool IsEmpty(const VRect& r) { return r.bottom <= r.top || r.right <= r.left; }

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

}  // namespace

Host::Host(const PluginModule& module) : mModule(module) {
  mFilterRecord.sSPBasic = mSuites.basic();
  mAboutRecord.sSPBasic = mSuites.basic();
  mFolders.RegisterWith(mSuites);
  mFilterRecord.imageMode = plugInModeRGBColor;
  mFilterRecord.planes = 3;
  mFilterRecord.filterCase = filterCaseFlatImageNoSelection;
  mFilterRecord.handleProcs = mHandles.procs();
  mFilterRecord.descriptorParameters = mDescriptors.parameters();
  mColor.SetPicker(DisplayColorChooser());
}

int16_t Host::About() { return Call(filterSelectorAbout, &mAboutRecord); }

int16_t Host::Select(int16_t selector) { return Call(selector, &mFilterRecord); }

int16_t Host::Call(int16_t selector, void* block) {
  mSuites.MakeCurrent();
  mImage.MakeCurrent();
  mProgress.MakeCurrent();
  mColor.MakeCurrent();
  mHandles.MakeCurrent();
  mDescriptors.MakeCurrent();
  mFolders.MakeCurrent();
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = ThreadCpuSeconds();
  int16_t result = mModule.Call(selector, block, &mData);
  const double cpuSeconds = ThreadCpuSeconds() - cpuStart;
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallStart;
  mCalls.push_back({selector, result, mData, wall.count(), cpuSeconds});
  return result;
}

int16_t Host::Run(bool withParameters) {
  int16_t result = noErr;
  if (withParameters && (result = Select(filterSelectorParameters)) != noErr) return result;
  if ((result = Select(filterSelectorPrepare)) != noErr) return result;
  if ((result = Select(filterSelectorStart)) != noErr) return result;
  // The editor keeps asking while the filter names an area it wants.
  while (!IsEmpty(mFilterRecord.outRect) || !IsEmpty(mFilterRecord.inRect)) {
    if ((result = Select(filterSelectorContinue)) != noErr) return result;
  }
  return Select(filterSelectorFinish);
}

}  // namespace tessel::host
