// A page's file written while the filter is still at work on the page: rows
// are encoded on a thread of their own as the filter finishes them, so the
// run waits for the encoder only where the filter is faster.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <thread>

#include "base/RowGate.h"
#include "io/ImageFile.h"

namespace tessel::io {

class OverlappedWrite {
 public:
  // Starts writing `image` (which must outlive this object) to `path`, as
  // SaveImageFile does, or with `inBands` as SavePngInBands does when it can;
  // no row is read before RowsFinal releases it.
  OverlappedWrite(ImageFile& image, std::string path, bool inBands = false);
  // Unless finished: gives the page up and waits for the thread, leaving a
  // partial file at `path` for the caller to remove.
  ~OverlappedWrite();
  OverlappedWrite(const OverlappedWrite&) = delete;
  OverlappedWrite& operator=(const OverlappedWrite&) = delete;

  // Rows above `rows` will not change again.
  void RowsFinal(int64_t rows) { mGate.Release(rows); }
  // Releases the whole page and waits for the file. Throws ImageFileError
  // as SaveImageFile.
  void Finish();

 private:
  ImageFile& mImage;
  base::RowGate mGate;
  std::exception_ptr mError;
  std::thread mThread;
};

}  // namespace tessel::io
