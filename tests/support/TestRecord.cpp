#include "tests/support/TestRecord.h"

namespace tessel::testing {

std::vector<ColorServicesInfo> FakeColorServices::requests;
OSErr FakeColorServices::failWith = noErr;

void FakeColorServices::Reset() {
  requests.clear();
  failWith = noErr;
}

OSErr FakeColorServices::Answer(ColorServicesInfo* info) {
  requests.push_back(*info);
  if (failWith != noErr) return failWith;
  int16_t* c = info->colorComponents;
  if (info->sourceSpace == plugIncolorServicesRGBSpace) {
    const int16_t mean = static_cast<int16_t>((c[0] + c[1] + c[2]) / 3);
    switch (info->resultSpace) {
      case plugIncolorServicesGraySpace:
        c[0] = mean;
        c[1] = c[2] = c[3] = 0;
        break;
      case plugIncolorServicesCMYKSpace:
        c[3] = 255;
        break;
      case plugIncolorServicesLabSpace:
        c[0] = mean;
        c[1] = c[2] = 128;
        c[3] = 0;
        break;
      default:
        break;
    }
  }
  return noErr;
}

void DescribePage(FilterRecord& record, Page& page, int16_t imageMode) {
  record.imageMode = imageMode;
  record.planes = static_cast<int16_t>(page.planes);
  record.filterCase = filterCaseFlatImageNoSelection;
  record.imageSize = VPoint{static_cast<int32_t>(page.height), static_cast<int32_t>(page.width)};
  record.outRect = VRect{0, 0, static_cast<int32_t>(page.height), static_cast<int32_t>(page.width)};
  record.outLoPlane = 0;
  record.outHiPlane = static_cast<int16_t>(page.planes - 1);
  record.outData = page.bytes.data();
  record.outRowBytes = static_cast<int32_t>(page.rowBytes());
  record.outColumnBytes = static_cast<int16_t>(page.columnBytes());
  record.outPlaneBytes = static_cast<int32_t>(page.planeBytes());
  record.colorServices = FakeColorServices::Answer;
}

}  // namespace tessel::testing
