#include "gimp/gimp2/DrawablePixels.h"

#include <algorithm>
#include <vector>

#include "gimp/LibGimp.h"
#include "gimp/Procedures.h"

namespace tessel::gimp {

std::optional<DrawableArea> SelectedArea(gint32 image, gint32 drawable, bool canvas) {
  if (gimp_image_get_precision(image) != GIMP_PRECISION_U8_GAMMA)
    throw DrawableError(
        "Tessel works on 8-bit images; convert this one with Image > Precision > 8 bit integer (perceptual gamma)");
  if (!canvas) return SelectedArea<DrawableArea>(image, drawable);
  Canvas whole{gimp_image_width(image), gimp_image_height(image)};
  gimp_drawable_offsets(drawable, &whole.left, &whole.top);
  return SelectedArea<DrawableArea>(image, drawable, whole);
}

namespace {

GeglRectangle Rectangle(const DrawableArea& area) { return {area.x, area.y, area.width, area.height}; }

}  // namespace

base::ImageBuffer ReadPixels(const DrawableArea& area) {
  const Babl* format = gimp_drawable_get_format(area.drawable);
  base::ImageBuffer pixels({area.width, area.height, babl_format_get_n_components(format)});
  GeglBuffer* buffer = gimp_drawable_get_buffer(area.drawable);
  const GeglRectangle rectangle = Rectangle(area);
  gegl_buffer_get(buffer, &rectangle, 1.0, format, pixels.data(), static_cast<gint>(pixels.rowBytes()),
                  GEGL_ABYSS_NONE);
  g_object_unref(buffer);
  return pixels;
}

io::ImageFile ReadHintsOver(const DrawableArea& area, gint32 hints) {
  if (!gimp_item_is_layer(hints) || gimp_item_get_image(hints) != area.image)
    throw DrawableError("the hints must be a layer of the image being flatted");
  const Babl* format = gimp_drawable_get_format(hints);
  const bool alpha = gimp_drawable_has_alpha(hints);
  io::ImageFile page{base::ImageBuffer({area.width, area.height, babl_format_get_n_components(format)}),
                     static_cast<int16_t>(gimp_drawable_is_gray(hints) ? plugInModeGrayScale : plugInModeRGBColor),
                     static_cast<bool>(alpha), {}};
  page.pixels.Fill(std::vector<uint8_t>(static_cast<size_t>(page.pixels.planes()), alpha ? 0 : 255));
  // The area and the layer in the image's coordinates, and where they meet.
  gint areaLeft = 0, areaTop = 0, hintsLeft = 0, hintsTop = 0;
  gimp_drawable_offsets(area.drawable, &areaLeft, &areaTop);
  gimp_drawable_offsets(hints, &hintsLeft, &hintsTop);
  areaLeft += area.x;
  areaTop += area.y;
  const gint left = std::max(areaLeft, hintsLeft), top = std::max(areaTop, hintsTop);
  const gint right = std::min(areaLeft + area.width, hintsLeft + gimp_drawable_width(hints));
  const gint bottom = std::min(areaTop + area.height, hintsTop + gimp_drawable_height(hints));
  if (left >= right || top >= bottom) return page;
  GeglBuffer* buffer = gimp_drawable_get_buffer(hints);
  const GeglRectangle part{left - hintsLeft, top - hintsTop, right - left, bottom - top};
  gegl_buffer_get(buffer, &part, 1.0, format, &page.pixels.at(left - areaLeft, top - areaTop, 0),
                  static_cast<gint>(page.pixels.rowBytes()), GEGL_ABYSS_NONE);
  g_object_unref(buffer);
  return page;
}

gint32 HintsLayerOf(gint32 image, gint32 drawable) {
  const gint32 layer = gimp_image_get_layer_by_name(image, kHintsLayerName);
  return layer == drawable ? -1 : layer;
}

void WritePixels(const DrawableArea& area, const base::ImageBuffer& pixels) {
  GeglBuffer* shadow = gimp_drawable_get_shadow_buffer(area.drawable);
  const GeglRectangle rectangle = Rectangle(area);
  gegl_buffer_set(shadow, &rectangle, 0, gimp_drawable_get_format(area.drawable), pixels.data(),
                  static_cast<gint>(pixels.rowBytes()));
  gegl_buffer_flush(shadow);
  g_object_unref(shadow);
  gimp_image_undo_group_start(area.image);
  gimp_drawable_merge_shadow(area.drawable, TRUE);
  gimp_drawable_update(area.drawable, area.x, area.y, area.width, area.height);
  gimp_image_undo_group_end(area.image);
}

void AddLayerBelow(const DrawableArea& area, const char* name, const base::ImageBuffer& pixels) {
  gint left = 0, top = 0;
  gimp_drawable_offsets(area.drawable, &left, &top);
  gimp_image_undo_group_start(area.image);
  const gint32 layer = gimp_layer_new(area.image, name, area.width, area.height, gimp_drawable_type(area.drawable),
                                      100.0, GIMP_LAYER_MODE_NORMAL);
  gimp_layer_set_offsets(layer, left + area.x, top + area.y);
  gimp_image_insert_layer(area.image, layer, gimp_item_get_parent(area.drawable),
                          gimp_image_get_item_position(area.image, area.drawable) + 1);
  GeglBuffer* buffer = gimp_drawable_get_buffer(layer);
  const GeglRectangle whole{0, 0, area.width, area.height};
  gegl_buffer_set(buffer, &whole, 0, gimp_drawable_get_format(area.drawable), pixels.data(),
                  static_cast<gint>(pixels.rowBytes()));
  g_object_unref(buffer);  // flushes it into the layer
  gimp_drawable_update(layer, 0, 0, area.width, area.height);
  gimp_image_undo_group_end(area.image);
}

}  // namespace tessel::gimp
