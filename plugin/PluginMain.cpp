// The module's entry: the host calls it once per selector of a run.
#include <cstdint>

#include "plugin/Export.h"
#include "plugin/PSFilter.h"

namespace {

// Destroys the run's object (the one the slot holds) and clears the slot.
void EndRun(intptr_t* data) {
  CPSFilter* filter = reinterpret_cast<CPSFilter*>(*data);
  sCPSFilterPlugin = nullptr;
  *data = 0;
  delete filter;
}

}  // namespace

extern "C" TESSEL_EXPORT void PluginMain(int16_t selector, void* pluginParamBlock, intptr_t* data,
                                         int16_t* result) {
  FilterRecord* filterRecord = nullptr;
  AboutRecord* aboutRecord = nullptr;
  if (selector == filterSelectorAbout) {
    aboutRecord = static_cast<AboutRecord*>(pluginParamBlock);
    sSPBasic = aboutRecord->sSPBasic;
  } else {
    filterRecord = static_cast<FilterRecord*>(pluginParamBlock);
    sSPBasic = filterRecord->sSPBasic;
  }
  if (!sSPBasic) {
    *result = filterBadParameters;
    return;
  }

  try {
    sFileList = nullptr;
    sPSGetPath = nullptr;
    if (sSPBasic->AcquireSuite(kPSGetFileListSuite, kPSGetFileListSuiteVersion5,
                               reinterpret_cast<const void**>(&sFileList)) == 0) {
      sSPBasic->AcquireSuite(kPSGetPathSuite, kPSGetPathSuiteVersion1, reinterpret_cast<const void**>(&sPSGetPath));
    } else {
      sFileList = nullptr;
    }

    sCPSFilterPlugin = reinterpret_cast<CPSFilter*>(*data);
    if (!sCPSFilterPlugin) {
      sCPSFilterPlugin = CreateFilterPlugin();
      *data = reinterpret_cast<intptr_t>(sCPSFilterPlugin);
      if (sCPSFilterPlugin) sCPSFilterPlugin->init(filterRecord, aboutRecord);
    }
    if (!sCPSFilterPlugin) {
      *result = filterBadParameters;
      return;
    }

    *result = sCPSFilterPlugin->FilterSelector(selector, filterRecord);
    if (*result != noErr || selector == filterSelectorAbout || selector == filterSelectorFinish) EndRun(data);
  } catch (...) {
    *result = filterBadParameters;
    try {
      EndRun(data);
    } catch (...) {
      // A destructor that throws must not take the host down with it.
      sCPSFilterPlugin = nullptr;
      *data = 0;
    }
  }
}
