// What a layered file is written from: the page as read, which becomes the
// "Lines" layer, and the flats, with colour under the lines. The composite,
// the page multiplied over the flats, is worked out row by row as it is
// written, so no third page is held.
#pragma once

#include <cstdint>

#include "io/ImageFile.h"

namespace tessel::io {

enum class Layer { kLines, kFlats, kComposite };

// Where writing a layered file went, in seconds: the two layers, the
// composite (with its thumbnail), and packing OpenRaster's zip. OpenRaster
// encodes the layers beside the composite, so there the two overlap.
struct LayeredTimings {
  double layers = 0;
  double composite = 0;
  double package = 0;
};

struct LayeredPage {
  const base::ImageBuffer& lines;
  const ImageFile& flats;  // its mode, transparency and resolution are the file's

  int64_t width() const { return flats.pixels.width(); }
  int64_t height() const { return flats.pixels.height(); }
  int planes() const { return flats.pixels.planes(); }
  int colourPlanes() const { return planes() - (flats.hasTransparency ? 1 : 0); }

  // The composite is the lines, over white paper by their own transparency
  // (if any), multiplied over the flats, with the flats' transparency: what
  // an editor shows of the two layers, and the merged output of
  // --under-lines, exactly.
  uint8_t At(Layer layer, int64_t x, int64_t y, int plane) const;
  // Row `y` of one plane, `width()` bytes.
  void PlaneRow(Layer layer, int64_t y, int plane, uint8_t* out) const;
  // Row `y` with its planes interleaved, `width() * planes()` bytes.
  void PixelRow(Layer layer, int64_t y, uint8_t* out) const;
};

}  // namespace tessel::io
