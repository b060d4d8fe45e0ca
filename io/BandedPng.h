// PNG files written on every core: the image data is compressed in bands of
// rows at once, each band's deflate primed with the end of the band above, so
// the file holds one ordinary zlib stream, barely larger than one compressed
// in a single pass. The chunks around it (resolution, profile, tags) are
// libvips' own for the same page, as SaveImageFile writes them.
#pragma once

#include <string>

#include "base/RowGate.h"
#include "io/ImageFile.h"

namespace tessel::io {

// Whether SavePngInBands can write `image` to `path`: a PNG of a grey or RGB
// page, with or without transparency, whose pixels need no turning.
bool CanSavePngInBands(const ImageFile& image, const std::string& path);

// Writes `image` to `path` as SaveImageFile would, the pixels unchanged. With
// `gate`, a band is compressed only once the gate has released its rows.
// Throws ImageFileError, also when the gate is given up; `path` may then hold
// a partial file, which the caller removes.
void SavePngInBands(const ImageFile& image, const std::string& path, base::RowGate* gate = nullptr);

}  // namespace tessel::io
