// What reading and writing page files through libvips share: the library
// started once, its errors taken as messages, and the editor's pixel
// conventions, turned the same way in either direction.
#pragma once

#include <vips/vips.h>

#include <cstdint>
#include <memory>
#include <string>

#include "io/ImageFile.h"

namespace tessel::io {

struct VipsUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, VipsUnref>;

// Throws ImageFileError when libvips cannot be started.
void StartVips();

// libvips' last error on this thread, the last line of it; cleared.
std::string TakeVipsError();

// Throws ImageFileError naming `path` and `reason`.
[[noreturn]] void Fail(const std::string& path, const std::string& reason);

// Whether `imageMode` stores its pixels otherwise in files than the editor
// holds them; FlipConventions turns them either way, in place.
bool NeedsFlipping(int16_t imageMode);
void FlipConventions(ImageFile& image);
// The same for one interleaved row of `width` pixels of `planes` bytes, the
// last one transparency when `hasTransparency`.
void FlipRow(int16_t imageMode, int planes, bool hasTransparency, uint8_t* row, int64_t width);

}  // namespace tessel::io
