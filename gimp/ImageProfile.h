// The image's own ICC profile, read alike by both plug-ins: GIMP 2.10's and
// GIMP 3's libgimp spell it the same, for an image's ID or its object. Each
// plug-in compiles this against its own <libgimp/gimp.h>.
#pragma once

#include <string>

#include <libgimp/gimp.h>

namespace tessel::gimp {

// Empty without one: GIMP then works in its built-in sRGB and grey, which
// the host's colour services use too.
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

}  // namespace tessel::gimp
