// Image files as users' folders hold them: the first byte picks the name's
// extension, the rest is the file. Loading either gives pixels that agree
// with the mode, or fails with an error naming the file (pixels beyond the
// memory at hand among them); nothing else escapes.
#include <algorithm>
#include <string>

#include "base/AvailableMemory.h"
#include "host/ImageServices.h"
#include "io/ImageFile.h"
#include "tests/fuzz/FuzzSupport.h"

using tessel::fuzz::Require;
using tessel::io::ImageFileError;

// Well under tools/fuzz's memory limit, so that a page the machine could hold
// but the fuzzer may not is refused as one beyond the machine is.
constexpr int64_t kFuzzMemory = int64_t(512) << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tessel::fuzz::ScratchFolder folder;
  static const char* const kNames[] = {"page.png", "page.tif", "page.jpg"};
  if (size == 0) return 0;
  const std::string path = folder.Write(kNames[data[0] % 3], data + 1, size - 1);
  try {
    const tessel::io::ImageFile image =
        tessel::io::LoadImageFile(path, std::min(tessel::base::AvailableMemory(), kFuzzMemory));
    const int colourPlanes = image.pixels.planes() - (image.hasTransparency ? 1 : 0);
    Require(image.pixels.width() > 0 && image.pixels.height() > 0, "a loaded page has pixels");
    Require(colourPlanes >= tessel::host::ImageServices::ModeChannels(image.imageMode),
            "a loaded page has the planes its mode needs");
  } catch (const ImageFileError& e) {
    Require(std::string(e.what()).find(path) != std::string::npos, "the error names the file");
  }
  return 0;
}
