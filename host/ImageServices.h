// The editor's image side of the filter record: the image fields and the
// advanceState callback, which delivers requested areas in place, pointing
// outData straight into the image buffer.
#pragma once

#include <cstdint>

#include "base/ImageBuffer.h"
#include "interface/PhotoshopHost.h"

namespace tessel::host {

class ImageServices {
 public:
  // Installs advanceState into `record`, which must outlive this object.
  // Until an image is attached every request is answered with kParamErr.
  explicit ImageServices(FilterRecord& record);
  ~ImageServices();
  ImageServices(const ImageServices&) = delete;
  ImageServices& operator=(const ImageServices&) = delete;

  // Lays `image` (kept by the caller) before the filter as an image of
  // `imageMode`. With `layer`, its last plane is the layer's transparency:
  // filterCase 4 with outLayerPlanes the colour planes; else a flat image,
  // filterCase 1. Throws ImageError when the colour planes are fewer than
  // the mode needs; the record is then unchanged.
  void Attach(base::ImageBuffer& image, int16_t imageMode, bool layer);

  // Makes every later advanceState answer `code` (0 serves normally again).
  void ForceAdvanceStateError(OSErr code) { mForcedError = code; }
  int advanceStateCalls() const { return mCalls; }

  // Makes this object the one the C callback answers from.
  void MakeCurrent();

  // The colour channels an image mode has, at least.
  static int ModeChannels(int16_t imageMode);

 private:
  static OSErr AdvanceState();
  OSErr Serve();
  bool ValidOutputRequest() const;

  FilterRecord& mRecord;
  base::ImageBuffer* mImage = nullptr;
  OSErr mForcedError = noErr;
  int mCalls = 0;
};

}  // namespace tessel::host
