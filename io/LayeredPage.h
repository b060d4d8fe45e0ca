// What a layered file is written from: the page as read, which becomes the
// "Lines" layer, and the flats, with colour under the lines. The composite,
// the page multiplied over the flats, is worked out row by row as it is
// written, so no third page is held; so are the hints the flats followed,
// if any, a hidden "Hints" layer on top, for the colourist to edit and run
// again.
#pragma once

#include <cstdint>
#include <functional>

#include "io/ImageFile.h"

namespace tessel::io {

enum class Layer { kLines, kFlats, kComposite, kHints };

// Writes row `y` of the hints layer into `row`: the flats' colour planes and
// then transparency, interleaved.
using HintsRows = std::function<void(int64_t y, uint8_t* row)>;

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
  HintsRows hints = {};    // none: no hints layer

  int64_t width() const { return flats.pixels.width(); }
  int64_t height() const { return flats.pixels.height(); }
  int planes() const { return flats.pixels.planes(); }
  int colourPlanes() const { return planes() - (flats.hasTransparency ? 1 : 0); }
  // The planes of `layer`'s pixels: the hints always have transparency.
  int PlanesOf(Layer layer) const { return layer == Layer::kHints ? colourPlanes() + 1 : planes(); }

  // The composite is the lines, over white paper by their own transparency
  // (if any), multiplied over the flats, with the flats' transparency: what
  // an editor shows of the two layers, and the merged output of
  // --under-lines, exactly. Not for the hints.
  uint8_t At(Layer layer, int64_t x, int64_t y, int plane) const;
  // Row `y` of one plane, `width()` bytes.
  void PlaneRow(Layer layer, int64_t y, int plane, uint8_t* out) const;
  // Row `y` with its planes interleaved, `width() * PlanesOf(layer)` bytes.
  void PixelRow(Layer layer, int64_t y, uint8_t* out) const;
};

}  // namespace tessel::io
