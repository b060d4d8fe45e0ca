#include "plugin/PSFilter.h"

SPBasicSuite* sSPBasic = nullptr;
const PSGetFileListSuite5* sFileList = nullptr;
const PSGetPathSuite1* sPSGetPath = nullptr;
CPSFilter* sCPSFilterPlugin = nullptr;

int16_t CPSFilter::DoContinue() {
  // Nothing more is wanted from the host.
  mFilterRecord->inRect = VRect{0, 0, 0, 0};
  mFilterRecord->outRect = VRect{0, 0, 0, 0};
  return noErr;
}

int16_t CPSFilter::FilterSelector(int16_t selector, FilterRecord*) {
  switch (selector) {
    case filterSelectorAbout:
      return DoAbout();
    case filterSelectorParameters:
      return DoParameters();
    case filterSelectorPrepare:
      return DoPrepare();
    case filterSelectorStart:
      return DoStart();
    case filterSelectorContinue:
      return DoContinue();
    case filterSelectorFinish:
      return DoFinish();
    default:
      return filterBadParameters;
  }
}

void CPSFilter::init(FilterRecord* filterRecord, AboutRecord* aboutRecord) {
  mFilterRecord = filterRecord;
  mAboutRecord = aboutRecord;
}

CPSFilter* CPSFilter::Instance() { return sCPSFilterPlugin; }

PIPlugInRef CPSFilter::GetPluginRef() const {
  if (mFilterRecord) return mFilterRecord->plugInRef;
  if (mAboutRecord) return mAboutRecord->plugInRef;
  return nullptr;
}
