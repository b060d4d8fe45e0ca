#include "gimp/gimp2/DrawablePixels.h"

#include "gimp/HintsPage.h"
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

Placement PlacementOf(gint32 drawable) {
  Placement placed{0, 0, gimp_drawable_width(drawable), gimp_drawable_height(drawable)};
  gimp_drawable_offsets(drawable, &placed.left, &placed.top);
  return placed;
}

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
  if (!gimp_item_is_layer(hints) || gimp_item_get_image(hints) != area.image) throw DrawableError(kHintsOfTheImage);
  const auto read = [hints](const Placement& part, uint8_t* pixels, size_t rowBytes) {
    GeglBuffer* buffer = gimp_drawable_get_buffer(hints);
    const GeglRectangle rectangle{part.left, part.top, part.width, part.height};
    gegl_buffer_get(buffer, &rectangle, 1.0, gimp_drawable_get_format(hints), pixels, static_cast<gint>(rowBytes),
                    GEGL_ABYSS_NONE);
    g_object_unref(buffer);
  };
  return HintsPage(PlacementOf(area.drawable), {area.x, area.y, area.width, area.height}, PlacementOf(hints),
                   ModeOf(hints), gimp_drawable_has_alpha(hints), read);
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
