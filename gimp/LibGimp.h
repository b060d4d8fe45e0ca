// What GIMP 2.10's and GIMP 3's libgimp spell alike, for an image's or a
// drawable's ID as for its object: each plug-in compiles this against its
// own <libgimp/gimp.h>.
#pragma once

#include <optional>
#include <string>

#include <libgimp/gimp.h>

#include "interface/PhotoshopHost.h"

namespace tessel::gimp {

// The image's own ICC profile; empty without one: GIMP then works in its
// built-in sRGB and grey, which the host's colour services use too.
template <typename Image>
std::string ImageProfile(Image image) {
  GimpColorProfile* profile = gimp_image_get_color_profile(image);
  if (!profile) return {};
  gsize length = 0;
  const guint8* bytes = gimp_color_profile_get_icc_profile(profile, &length);
  std::string icc(reinterpret_cast<const char*>(bytes), length);
  g_object_unref(profile);
  return icc;
}

// The editor's mode of the drawable's colour planes.
template <typename Drawable>
int16_t ModeOf(Drawable drawable) {
  return gimp_drawable_is_gray(drawable) ? plugInModeGrayScale : plugInModeRGBColor;
}

// The image's size and where the drawable lies on it, which each GIMP spells
// its own way.
struct Canvas {
  gint width = 0, height = 0;
  gint left = 0, top = 0;  // the drawable's offsets
};

// The part of `drawable` the selection touches (the whole drawable without
// one), as each plug-in's DrawableArea holds it; nothing when it touches none.
// Given the `canvas`, the part of the canvas the selection covers instead,
// beyond the drawable's own bounds where they are smaller: flats of a layer
// with transparency, which cover the canvas, as the layer is paper where it
// has nothing.
template <typename Area, typename Image, typename Drawable>
std::optional<Area> SelectedArea(Image image, Drawable drawable, const std::optional<Canvas>& canvas = std::nullopt) {
  Area area;
  area.image = image;
  area.drawable = drawable;
  if (canvas) {
    gboolean selected = FALSE;
    gint x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    gimp_selection_bounds(image, &selected, &x1, &y1, &x2, &y2);
    if (!selected) {
      x1 = y1 = 0;
      x2 = canvas->width;
      y2 = canvas->height;
    }
    area.x = x1 - canvas->left;
    area.y = y1 - canvas->top;
    area.width = x2 - x1;
    area.height = y2 - y1;
  } else if (!gimp_drawable_mask_intersect(drawable, &area.x, &area.y, &area.width, &area.height)) {
    return std::nullopt;
  }
  area.imageMode = ModeOf(drawable);
  area.alpha = gimp_drawable_has_alpha(drawable);
  return area;
}

}  // namespace tessel::gimp
