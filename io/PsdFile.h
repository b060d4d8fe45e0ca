// Layered Photoshop documents (.psd, version 1), written from the documented
// format: two layers, "Flats" in Normal mode under "Lines" in Multiply mode,
// with a hidden "Hints" layer over both when the flats followed hints,
// and the composite as the file's image data, every channel PackBits
// compressed. Grey, RGB and CMYK (stored as the editor holds it, 255 = no
// ink), each optionally with transparency, which goes with each layer and
// the composite alike.
#pragma once

#include <string>

#include "io/LayeredPage.h"

namespace tessel::io {

// PSD's largest page side; larger pages need the large document format.
constexpr int64_t kPsdMaxSide = 30000;

// Writes `page` to `path`, timing the layers and the composite. Throws
// ImageFileError when the file cannot be written, or would outgrow the
// format's 4 GB sections; `path` may then hold a partial file.
void WritePsd(const LayeredPage& page, const std::string& path, LayeredTimings& timings);

}  // namespace tessel::io
