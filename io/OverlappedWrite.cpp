#include "io/OverlappedWrite.h"

#include <utility>

#include "io/BandedPng.h"

namespace tessel::io {

OverlappedWrite::OverlappedWrite(ImageFile& image, std::string path, bool inBands)
    : mImage(image), mThread([this, inBands, path = std::move(path)] {
        try {
          if (inBands && CanSavePngInBands(mImage, path)) SavePngInBands(mImage, path, &mGate);
          else SaveImageFile(mImage, path, &mGate);
        } catch (...) {
          mError = std::current_exception();
        }
      }) {}

OverlappedWrite::~OverlappedWrite() {
  if (!mThread.joinable()) return;
  mGate.GiveUp();
  mThread.join();
}

void OverlappedWrite::Finish() {
  mGate.Release(mImage.pixels.height());
  mThread.join();
  if (mError) std::rethrow_exception(mError);
}

}  // namespace tessel::io
