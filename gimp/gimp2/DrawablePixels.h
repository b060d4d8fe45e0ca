// A drawable's pixels within the selection's bounds, laid out as the editor
// hands them to a filter, and written back through the selection.
#pragma once

#include <optional>
#include <stdexcept>

#include <libgimp/gimp.h>

#include "base/ImageBuffer.h"
#include "io/ImageFile.h"

namespace tessel::gimp {

// A drawable the filter cannot work on; the message says what to change.
class DrawableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DrawableArea {
  gint32 image = -1;
  gint32 drawable = -1;
  gint x = 0, y = 0, width = 0, height = 0;  // in the drawable's coordinates
  int16_t imageMode = 0;                     // the editor's mode of its colour planes
  bool alpha = false;                        // the last plane is the layer's transparency
};

// The part of `drawable` the selection touches (the whole drawable without
// one); nothing when it touches none. With `canvas`, the part of the canvas
// the selection covers instead, beyond the drawable's own bounds where they
// are smaller: flats of a layer with transparency, which cover the canvas,
// as the layer is paper where it has nothing. Throws DrawableError for an
// image that is not 8-bit with the perceptual gamma, the only pixels the
// filter knows.
std::optional<DrawableArea> SelectedArea(gint32 image, gint32 drawable, bool canvas = false);

// The area's pixels, interleaved, in the drawable's own format (no colour
// conversion), fully transparent beyond the drawable. Throws
// base::ImageError when they cannot be held.
base::ImageBuffer ReadPixels(const DrawableArea& area);

// Writes `pixels` back as one undo step. Pixels outside the selection stay
// as they were, those on a soft edge are blended, as with GIMP's own filters.
void WritePixels(const DrawableArea& area, const base::ImageBuffer& pixels);

// The pixels of the layer `hints` over the area (placed by the image's
// coordinates), in the layer's own format, as a page of hints; where the
// layer does not reach, no hint: clear, or white in a layer without
// transparency. Throws DrawableError for a drawable that is not a layer of
// the area's image, base::ImageError when the pixels cannot be held.
io::ImageFile ReadHintsOver(const DrawableArea& area, gint32 hints);

// The image's layer named "Hints" other than `drawable`; -1 when there is none.
gint32 HintsLayerOf(gint32 image, gint32 drawable);

// Adds `pixels`, in the drawable's format, as a new layer `name` over the
// area, right under the drawable (a layer), as one undo step.
void AddLayerBelow(const DrawableArea& area, const char* name, const base::ImageBuffer& pixels);

}  // namespace tessel::gimp
