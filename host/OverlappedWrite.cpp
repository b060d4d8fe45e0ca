#include "host/OverlappedWrite.h"

#include <utility>

namespace tessel::host {

OverlappedWrite::OverlappedWrite(ImageFile& image, std::string path)
    : mImage(image), mThread([this, path = std::move(path)] {
        try {
          SaveImageFile(mImage, path, &mGate);
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

}  // namespace tessel::host
