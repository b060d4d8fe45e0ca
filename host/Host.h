// Our stand-in for the editor: it keeps the records and the plug-in's data
// slot across the selectors of a run and calls the module as the editor does.
// Services (image, colour, handles, descriptors, folders) plug into the
// records it owns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/ImageBuffer.h"
#include "host/ColorServices.h"
#include "host/DescriptorServices.h"
#include "host/FolderSuites.h"
#include "host/HandleServices.h"
#include "host/ImageServices.h"
#include "host/PluginModule.h"
#include "host/ProgressServices.h"
#include "host/Suites.h"
#include "interface/PhotoshopHost.h"

namespace tessel::host {

// What one PluginMain call did, for tracing, tests and timings.
struct SelectorCall {
  int16_t selector;
  int16_t result;
  intptr_t slotAfter;
  double wallSeconds = 0;  // from the call to its return
  double cpuSeconds = 0;   // of the calling thread: the filter's own work, one core
};

class Host {
 public:
  explicit Host(const PluginModule& module);
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  FilterRecord& filterRecord() { return mFilterRecord; }
  const FilterRecord& filterRecord() const { return mFilterRecord; }
  AboutRecord& aboutRecord() { return mAboutRecord; }
  SuiteRegistry& suites() { return mSuites; }
  ImageServices& imageServices() { return mImage; }
  ProgressServices& progress() { return mProgress; }
  ColorServices& colorServices() { return mColor; }

  // Hands `image` (kept by the caller) to the filter; see ImageServices::Attach.
  void SetImage(base::ImageBuffer& image, int16_t imageMode, bool layer = false) {
    mImage.Attach(image, imageMode, layer);
  }
  HandleServices& handles() { return mHandles; }
  const HandleServices& handles() const { return mHandles; }
  DescriptorServices& descriptors() { return mDescriptors; }
  intptr_t dataSlot() const { return mData; }
  const std::vector<SelectorCall>& calls() const { return mCalls; }

  // The presets folder the folder suites hand over (a POSIX path; empty for
  // none). False, keeping the previous folder, for a path they cannot name.
  bool SetPresetsFolder(const std::string& posixPath) { return mFolders.SetPresetsFolder(posixPath); }

  // Selector 0 with the about record.
  int16_t About();
  // Any other selector with the filter record.
  int16_t Select(int16_t selector);
  // Parameters (when asked), prepare, start, continue while the filter wants
  // more, finish; stops at the first failing selector and answers its code.
  int16_t Run(bool withParameters);

 private:
  int16_t Call(int16_t selector, void* block);

  const PluginModule& mModule;
  SuiteRegistry mSuites;
  HandleServices mHandles;
  DescriptorServices mDescriptors{mHandles};
  FolderSuites mFolders;
  FilterRecord mFilterRecord{};
  AboutRecord mAboutRecord{};
  ImageServices mImage{mFilterRecord};
  ProgressServices mProgress{mFilterRecord};
  ColorServices mColor{mFilterRecord};
  intptr_t mData = 0;
  std::vector<SelectorCall> mCalls;
};

}  // namespace tessel::host
