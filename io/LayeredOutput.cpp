#include "io/LayeredOutput.h"

#include "io/FileFormats.h"
#include "io/OraFile.h"
#include "io/PsdFile.h"

namespace tessel::io {

namespace {

bool IsOra(const std::string& path) { return FormatOf(path) == FileFormat::kOra; }

[[noreturn]] void Refuse(const std::string& output, const std::string& reason) {
  throw ImageFileError(output + ": " + reason);
}

}  // namespace

void CheckLayerable(const std::string& output, const ImageHeader& header) {
  if (header.imageMode == plugInModeLabColor)
    Refuse(output, "a Lab page cannot be layered, as multiplying has no meaning in Lab; write its flats alone with "
                   "--flats-only to a .tif");
  if (IsOra(output)) {
    if (header.imageMode != plugInModeGrayScale && header.imageMode != plugInModeRGBColor)
      Refuse(output, "OpenRaster holds grey and RGB pages only; write a CMYK page's layers to a .psd");
    return;
  }
  const base::ImageGeometry& page = header.geometry;
  if (page.width > kPsdMaxSide || page.height > kPsdMaxSide)
    Refuse(output, "a PSD file holds pages of at most 30,000 pixels a side, and this page is " +
                       std::to_string(page.width) + " x " + std::to_string(page.height) +
                       "; write its layers to an .ora (grey or RGB), or its merged image to a .tif");
}

void WriteLayered(const base::ImageBuffer& asRead, const ImageFile& flats, const std::string& path,
                  LayeredTimings& timings, const HintsRows& hints) {
  const LayeredPage page{asRead, flats, hints};
  if (IsOra(path)) WriteOra(page, path, timings);
  else WritePsd(page, path, timings);
}

}  // namespace tessel::io
