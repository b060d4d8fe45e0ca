#include "host/ImageServices.h"

#include <string>

#include "host/HostResults.h"

namespace tessel::host {

namespace {

ImageServices* sCurrent = nullptr;

bool IsEmpty(const VRect& r) { return r.bottom <= r.top || r.right <= r.left; }

void ClearOutput(FilterRecord& record) {
  record.outData = nullptr;
  record.outRowBytes = 0;
  record.outColumnBytes = 0;
  record.outPlaneBytes = 0;
}

}  // namespace

ImageServices::ImageServices(FilterRecord& record) : mRecord(record) {
  mRecord.advanceState = &ImageServices::AdvanceState;
  MakeCurrent();
}

ImageServices::~ImageServices() {
  if (sCurrent == this) sCurrent = nullptr;
}

void ImageServices::MakeCurrent() { sCurrent = this; }

int ImageServices::ModeChannels(int16_t imageMode) {
  switch (imageMode) {
    case plugInModeRGBColor:
    case plugInModeHSLColor:
    case plugInModeHSBColor:
    case plugInModeLabColor:
      return 3;
    case plugInModeCMYKColor:
      return 4;
    default:
      return 1;
  }
}

void ImageServices::Attach(base::ImageBuffer& image, int16_t imageMode, bool layer) {
  const int colourPlanes = image.planes() - (layer ? 1 : 0);
  if (colourPlanes < ModeChannels(imageMode))
    throw base::ImageError("image mode " + std::to_string(imageMode) + " needs " +
                           std::to_string(ModeChannels(imageMode)) + " colour planes, the image has " +
                           std::to_string(colourPlanes));
  mImage = &image;
  const auto width = static_cast<int32_t>(image.width());
  const auto height = static_cast<int32_t>(image.height());
  mRecord.imageSize = {height, width};
  mRecord.filterRect = {0, 0, height, width};
  mRecord.planes = static_cast<int16_t>(image.planes());
  mRecord.imageMode = imageMode;
  mRecord.filterCase = layer ? filterCaseEditableTransparencyNoSelection : filterCaseFlatImageNoSelection;
  // Zero on a flat image, so that a filter must follow filterCase to count planes.
  mRecord.outLayerPlanes = static_cast<int16_t>(layer ? colourPlanes : 0);
  mRecord.inRect = mRecord.outRect = {};
  ClearOutput(mRecord);
}

OSErr ImageServices::AdvanceState() { return sCurrent ? sCurrent->Serve() : kParamErr; }

bool ImageServices::ValidOutputRequest() const {
  const VRect& r = mRecord.outRect;
  const bool inside = r.top >= 0 && r.left >= 0 && r.bottom <= mImage->height() && r.right <= mImage->width();
  const bool planesExist =
      mRecord.outLoPlane >= 0 && mRecord.outLoPlane <= mRecord.outHiPlane && mRecord.outHiPlane < mImage->planes();
  return inside && planesExist;
}

OSErr ImageServices::Serve() {
  ++mCalls;
  ClearOutput(mRecord);
  if (mForcedError != noErr) return mForcedError;
  // Only output is delivered, in place; input copies are not offered.
  if (!mImage || !IsEmpty(mRecord.inRect)) return kParamErr;
  if (IsEmpty(mRecord.outRect)) return noErr;
  if (!ValidOutputRequest()) return kParamErr;

  const VRect& r = mRecord.outRect;
  mRecord.outData = &mImage->at(r.left, r.top, mRecord.outLoPlane);
  mRecord.outRowBytes = static_cast<int32_t>(mImage->rowBytes());
  mRecord.outColumnBytes = static_cast<int16_t>(mImage->columnBytes());
  mRecord.outPlaneBytes = static_cast<int32_t>(mImage->planeBytes());
  return noErr;
}

}  // namespace tessel::host
