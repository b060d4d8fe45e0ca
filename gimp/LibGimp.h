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

// The part of `drawable` the selection touches (the whole drawable without
// one), as each plug-in's DrawableArea holds it; nothing when it touches none.
template <typename Area, typename Image, typename Drawable>
std::optional<Area> SelectedArea(Image image, Drawable drawable) {
  Area area;
  area.image = image;
  area.drawable = drawable;
  if (!gimp_drawable_mask_intersect(drawable, &area.x, &area.y, &area.width, &area.height)) return std::nullopt;
  area.imageMode = gimp_drawable_is_gray(drawable) ? plugInModeGrayScale : plugInModeRGBColor;
  area.alpha = gimp_drawable_has_alpha(drawable);
  return area;
}

}  // namespace tessel::gimp
