// Outputs that keep the line art and the flats apart: a .psd or .ora file,
// "Lines" (the page as read) in Multiply mode over "Flats", with the page
// multiplied over the flats as the composite. See PsdFile.h and OraFile.h.
#pragma once

#include <string>

#include "io/ImageFile.h"
#include "io/LayeredPage.h"
#include "io/PageFile.h"

namespace tessel::io {

// Throws ImageFileError, naming `output` and what to do instead, when its
// format cannot hold the page `header` describes: OpenRaster holds grey and
// RGB; PSD grey, RGB and CMYK, at most 30,000 pixels a side. Lab is refused
// in both, as multiplying has no meaning in Lab.
void CheckLayerable(const std::string& output, const ImageHeader& header);

// Writes `asRead` over `flats`, and the hidden hints layer `hints` gives
// over both unless it is empty, as the layered file `path`'s extension names
// (see FileFormats.h). Throws ImageFileError; `path` may then hold a partial
// file.
void WriteLayered(const base::ImageBuffer& asRead, const ImageFile& flats, const std::string& path,
                  LayeredTimings& timings, const HintsRows& hints = {});

}  // namespace tessel::io
