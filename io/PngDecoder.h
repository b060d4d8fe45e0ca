// PNG pixels decoded by libspng straight into the host's buffer: faster than
// libvips' loader, which decodes into buffers of its own first. libvips still
// reads the header and the metadata, and decodes every file this decoder
// leaves to it.
#pragma once

#include "base/ImageBuffer.h"

namespace tessel::io {

// Decodes the PNG open on `descriptor` into `pixels` (interleaved, without
// row padding) as libvips reads it: palettes and transparency keys expanded,
// 16-bit samples reduced to their high byte. Reads from the file's start at
// offsets of its own, leaving the descriptor's as it was. False when the
// file is damaged, or of a form whose channels would not match `pixels` or
// that is left to libvips (16-bit interlaced); `pixels` may then hold part of
// the page. With `overPaper`, a file with transparency is decoded laid over
// white paper (see base/OverPaperRow.h) into `pixels` of its colour planes
// alone; interlaced ones are left to libvips, as their rows are whole only at
// the last pass.
bool DecodePng(int descriptor, base::ImageBuffer& pixels, bool overPaper = false);

// Whether the PNG open on `descriptor` states its resolution: a pHYs chunk in
// pixels per metre (libvips reads one that is missing as 72 dpi). Reads at
// offsets of its own, as DecodePng.
bool PngStatesResolution(int descriptor);

}  // namespace tessel::io
