#include "gimp/gimp3/DrawablePixels.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gimp/LibGimp.h"
#include "interface/PhotoshopHost.h"

namespace tessel::gimp {

namespace {

// The drawable's channels, gamma-encoded as the editor hands them to a
// filter, in the drawable's own colour space, of component type `type`.
const Babl* PageFormat(const DrawableArea& area, const char* type) {
  const std::string name = std::string(area.imageMode == plugInModeGrayScale ? "Y'" : "R'G'B'") +
                           (area.alpha ? "A " : " ") + type;
  return babl_format_with_space(name.c_str(), gimp_drawable_get_format(area.drawable));
}

// An 8-bit drawable in that form is read and written as it is.
bool EightBit(const DrawableArea& area) { return PageFormat(area, "u8") == gimp_drawable_get_format(area.drawable); }

// A component's high byte of its 16-bit value.
uint8_t HighByte(float component) {
  return static_cast<uint8_t>(std::lround(std::clamp(component, 0.0f, 1.0f) * 65535.0f) >> 8);
}

GeglRectangle Rectangle(const DrawableArea& area) { return {area.x, area.y, area.width, area.height}; }

}  // namespace

std::optional<DrawableArea> SelectedArea(GimpImage* image, GimpDrawable* drawable, bool canvas) {
  if (!canvas) return SelectedArea<DrawableArea>(image, drawable);
  Canvas whole{gimp_image_get_width(image), gimp_image_get_height(image)};
  gimp_drawable_get_offsets(drawable, &whole.left, &whole.top);
  return SelectedArea<DrawableArea>(image, drawable, whole);
}

AreaPixels ReadPixels(const DrawableArea& area) {
  const int planes = (area.imageMode == plugInModeGrayScale ? 1 : 3) + (area.alpha ? 1 : 0);
  AreaPixels pixels{base::ImageBuffer({area.width, area.height, planes}), {}};
  GeglBuffer* buffer = gimp_drawable_get_buffer(area.drawable);
  const GeglRectangle rectangle = Rectangle(area);
  if (EightBit(area)) {
    gegl_buffer_get(buffer, &rectangle, 1.0, PageFormat(area, "u8"), pixels.page.data(),
                    static_cast<gint>(pixels.page.rowBytes()), GEGL_ABYSS_NONE);
  } else {
    pixels.wide.resize(static_cast<size_t>(pixels.page.sizeBytes()));
    gegl_buffer_get(buffer, &rectangle, 1.0, PageFormat(area, "float"), pixels.wide.data(), GEGL_AUTO_ROWSTRIDE,
                    GEGL_ABYSS_NONE);
    std::transform(pixels.wide.begin(), pixels.wide.end(), pixels.page.data(), HighByte);
  }
  g_object_unref(buffer);
  return pixels;
}

void WritePixels(const DrawableArea& area, AreaPixels& pixels) {
  GeglBuffer* shadow = gimp_drawable_get_shadow_buffer(area.drawable);
  const GeglRectangle rectangle = Rectangle(area);
  if (pixels.wide.empty()) {
    gegl_buffer_set(shadow, &rectangle, 0, PageFormat(area, "u8"), pixels.page.data(),
                    static_cast<gint>(pixels.page.rowBytes()));
  } else {
    const int planes = pixels.page.planes();
    const uint8_t* result = pixels.page.data();
    for (size_t pixel = 0; pixel < pixels.wide.size(); pixel += planes) {
      float* wide = &pixels.wide[pixel];
      if (std::equal(wide, wide + planes, result + pixel, [](float a, uint8_t b) { return HighByte(a) == b; }))
        continue;
      for (int plane = 0; plane < planes; ++plane) wide[plane] = result[pixel + plane] / 255.0f;
    }
    gegl_buffer_set(shadow, &rectangle, 0, PageFormat(area, "float"), pixels.wide.data(), GEGL_AUTO_ROWSTRIDE);
  }
  gegl_buffer_flush(shadow);
  g_object_unref(shadow);
  gimp_drawable_merge_shadow(area.drawable, TRUE);
  gimp_drawable_update(area.drawable, area.x, area.y, area.width, area.height);
}

void AddLayerBelow(const DrawableArea& area, const char* name, const base::ImageBuffer& pixels) {
  gint left = 0, top = 0;
  gimp_drawable_get_offsets(area.drawable, &left, &top);
  GimpLayer* layer = gimp_layer_new(area.image, name, area.width, area.height, gimp_drawable_type(area.drawable),
                                    100.0, GIMP_LAYER_MODE_NORMAL);
  gimp_layer_set_offsets(layer, left + area.x, top + area.y);
  GimpItem* item = GIMP_ITEM(area.drawable);
  gimp_image_insert_layer(area.image, layer, GIMP_LAYER(gimp_item_get_parent(item)),
                          gimp_image_get_item_position(area.image, item) + 1);
  GeglBuffer* buffer = gimp_drawable_get_buffer(GIMP_DRAWABLE(layer));
  const GeglRectangle whole{0, 0, area.width, area.height};
  gegl_buffer_set(buffer, &whole, 0, PageFormat(area, "u8"), pixels.data(), static_cast<gint>(pixels.rowBytes()));
  g_object_unref(buffer);  // flushes it into the layer
  gimp_drawable_update(GIMP_DRAWABLE(layer), 0, 0, area.width, area.height);
}

}  // namespace tessel::gimp
