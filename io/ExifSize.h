// The image size an EXIF block states. libvips (8.16 and later) writes the
// image's width and height into the EXIF it saves (PixelXDimension,
// PixelYDimension); the banded PNG writer takes its chunks from libvips'
// file of one pixel and gives them the page's size.
#pragma once

#include <cstdint>
#include <string>

namespace tessel::io {

// `exif` (a TIFF-structured EXIF block, as a PNG's eXIf chunk holds it)
// stating `width` and `height` wherever it states a size. A block without
// them, or one this reader cannot follow, is given back as it is.
std::string ExifWithSize(std::string exif, uint32_t width, uint32_t height);

}  // namespace tessel::io
