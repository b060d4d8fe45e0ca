// A page file opened once for reading: its header is read as it is opened,
// its pixels are decoded later from the same open file. What the header
// tells (mode, size) is known before any memory is taken for the pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/AvailableMemory.h"
#include "base/ImageBuffer.h"
#include "io/ImageFile.h"

namespace tessel::io {

// What the header tells of a page: the editor's mode, transparency, the
// buffer its pixels are laid out in, and its resolution.
struct ImageHeader {
  int16_t imageMode = plugInModeRGBColor;
  bool hasTransparency = false;
  base::ImageGeometry geometry;
  bool reducedFromSixteenBits = false;  // the file holds 16 bits per channel
  double resolution = 0;                // pixels per millimetre across, as the file states it; 0: it does not
};

// How a page with transparency is read: as the file holds it, or laid over
// white paper row by row as it is decoded (see base/OverPaperRow.h), into an
// opaque page without the transparency plane, in its header as in its pixels.
enum class Transparency { kKept, kOverPaper };

class PageFile {
 public:
  // Opens `path` and reads its header. Throws ImageFileError as LoadImageFile.
  explicit PageFile(const std::string& path, Transparency transparency = Transparency::kKept);
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  const ImageHeader& header() const { return mHeader; }

  // Decodes the pixels, as LoadImageFile does; once only, as the file is
  // read through in sequence. Throws ImageFileError as LoadImageFile.
  ImageFile Load(int64_t availableBytes = base::AvailableMemory());

 private:
  struct Opened;

  std::string mPath;
  ImageHeader mHeader;
  std::unique_ptr<Opened> mOpened;
};

}  // namespace tessel::io
