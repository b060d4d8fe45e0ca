// A GIMP 3 drawable's pixels within the selection's bounds, as the editor
// hands them to a filter: 8 bits per channel in the drawable's own colour
// space, whatever the image's precision, and written back in that precision.
#pragma once

#include <optional>
#include <vector>

#include <libgimp/gimp.h>

#include "base/ImageBuffer.h"
#include "io/ImageFile.h"

namespace tessel::gimp {

struct DrawableArea {
  GimpImage* image = nullptr;
  GimpDrawable* drawable = nullptr;
  gint x = 0, y = 0, width = 0, height = 0;  // in the drawable's coordinates
  int16_t imageMode = 0;                     // the editor's mode of its colour planes
  bool alpha = false;                        // the last plane is the layer's transparency
};

// The part of `drawable` the selection touches (the whole drawable without
// one); nothing when it touches none. With `canvas`, the part of the canvas
// the selection covers instead, as gimp/LibGimp.h's SelectedArea says.
std::optional<DrawableArea> SelectedArea(GimpImage* image, GimpDrawable* drawable, bool canvas);

struct AreaPixels {
  // What the filter sees: in an image of more than 8 bits per channel, each
  // channel's high byte of its 16-bit value, as `tessel run` reads a 16-bit
  // file.
  base::ImageBuffer page;
  // Such an image's pixels as read, at full precision (floating point,
  // interleaved); empty for an 8-bit one.
  std::vector<float> wide;
};

// Fully transparent beyond the drawable. Throws base::ImageError when the
// pixels cannot be held.
AreaPixels ReadPixels(const DrawableArea& area);

// Writes the filter's result back through the shadow buffer, in the image's
// precision; in an image of more than 8 bits a pixel the filter left as it
// was keeps every bit it had. Pixels outside the selection stay as they
// were, those on a soft edge are blended, as with GIMP's own filters. The
// caller holds the undo group.
void WritePixels(const DrawableArea& area, AreaPixels& pixels);

// The pixels of the layer `hints` (of the area's image) over the area, as
// gimp/HintsPage.h places them, 8 bits a channel as ReadPixels reads them.
// Throws base::ImageError when they cannot be held.
io::ImageFile ReadHintsOver(const DrawableArea& area, GimpLayer* hints);

// Adds the 8-bit `pixels` as a new layer `name` over the area, right under
// the drawable, in the image's precision. The caller holds the undo group.
void AddLayerBelow(const DrawableArea& area, const char* name, const base::ImageBuffer& pixels);

}  // namespace tessel::gimp
