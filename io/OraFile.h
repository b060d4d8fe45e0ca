// OpenRaster files (.ora): a zip holding `mimetype` first and uncompressed,
// `stack.xml` naming "Lines" in svg:multiply over "Flats" (and a hidden
// "Hints" over both when the flats followed hints), each layer as a
// PNG, the composite as `mergedimage.png` and a thumbnail of at most 256
// pixels a side. Grey and RGB, optionally with transparency, which goes with
// each layer and the composite alike.
#pragma once

#include <string>

#include "io/LayeredPage.h"

namespace tessel::io {

// Writes `page` to `path`, replacing what is there, timing the layers, the
// composite and the packing. Throws ImageFileError when the file cannot be
// written; `path` may then hold a partial file.
void WriteOra(const LayeredPage& page, const std::string& path, LayeredTimings& timings);

}  // namespace tessel::io
