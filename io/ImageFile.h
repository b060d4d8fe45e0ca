// Image files as the editor opens and saves them for a filter: PNG, TIFF and
// JPEG through libvips (PNG pixels through PngDecoder), 8 bits per channel
// (16-bit files are reduced to 8 on reading), in grey, RGB, CMYK or Lab,
// grey, RGB and CMYK optionally with transparency (then laid out as a layer).
// Pixels are held in the editor's conventions: CMYK 255 = no ink, Lab with
// L 0..255 and a/b offset by 128.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/AvailableMemory.h"
#include "base/ImageBuffer.h"
#include "base/RowGate.h"
#include "interface/PhotoshopHost.h"

namespace tessel::io {

// A file that cannot be read as a supported image, or written as one; the
// message names the file and the reason.
class ImageFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a file carries besides its pixels, kept on the way through so that
// the result keeps its resolution, profile and tags.
struct ImageFileTraits {
  double xResolution = 1;  // pixels per millimetre
  double yResolution = 1;
  struct Field {
    std::string name;
    enum Kind { kBlob, kText, kInteger } kind;
    std::string bytes;  // blob or text
    int integer = 0;
  };
  std::vector<Field> fields;
};

struct ImageFile {
  base::ImageBuffer pixels;
  int16_t imageMode;
  bool hasTransparency;  // the last plane is transparency, kept out of the colour planes
  ImageFileTraits traits;
  bool reducedFromSixteenBits = false;  // the file held 16 bits per channel; it is written back with 8
};

// The ICC profile the file carries; empty for none.
std::string IccProfileOf(const ImageFile& image);

// Throws ImageFileError when the format that `path`'s extension names cannot
// hold an image of `imageMode` (for instance CMYK in PNG, transparency in
// JPEG), or when the extension names no supported format.
void CheckSavable(const std::string& path, int16_t imageMode, bool hasTransparency);

// Reads the whole of `path`, as a PageFile opened and loaded. Throws
// ImageFileError for a file that is missing, unreadable, damaged, of several
// pages, or of a format, depth or mode not supported, and for pixels that
// cannot be held: more than `availableBytes`, the memory the machine can
// give, are refused before any is allocated.
ImageFile LoadImageFile(const std::string& path, int64_t availableBytes = base::AvailableMemory());

// Writes `image` to `path` in the format its extension names. Turns the
// pixels back into the file's conventions in place first, so the buffer is
// not the editor's afterwards. With `gate`, each row is read only once the
// gate has released it, so the writing can begin while the page is still
// being worked on (CMYK and Lab, turned in place, wait for the whole page).
// Throws ImageFileError, also when the gate is given up; `path` may then
// hold a partial file, which the caller removes.
void SaveImageFile(ImageFile& image, const std::string& path, base::RowGate* gate = nullptr);

// The PNG file SaveImageFile writes for a page like `image` (mode, planes,
// transparency, resolution, profile and tags) of a single pixel: the chunks
// around the image data that the whole page's file carries too. Throws
// ImageFileError as SaveImageFile.
std::string OnePixelPng(const ImageFile& image);

// Names the supported formats, depths and modes, for messages and help.
extern const char kSupportedImages[];

}  // namespace tessel::io
