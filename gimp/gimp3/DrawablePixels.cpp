#include "gimp/gimp3/DrawablePixels.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gimp/HintsPage.h"
#include "gimp/LibGimp.h"

namespace tessel::gimp {

namespace {

// The drawable's channels, gamma-encoded as the editor hands them to a
// filter, in the drawable's own colour space, of component type `type`.
const Babl* PageFormat(GimpDrawable* drawable, const char* type) {
  const std::string name = std::string(gimp_drawable_is_gray(drawable) ? "Y'" : "R'G'B'") +
                           (gimp_drawable_has_alpha(drawable) ? "A " : " ") + type;
  return babl_format_with_space(name.c_str(), gimp_drawable_get_format(drawable));
}

// An 8-bit drawable in that form is read and written as it is.
bool EightBit(GimpDrawable* drawable) { return PageFormat(drawable, "u8") == gimp_drawable_get_format(drawable); }

// A component's high byte of its 16-bit value.
uint8_t HighByte(float component) {
  return static_cast<uint8_t>(std::lround(std::clamp(component, 0.0f, 1.0f) * 65535.0f) >> 8);
}

GeglRectangle Rectangle(const DrawableArea& area) { return {area.x, area.y, area.width, area.height}; }

Placement PlacementOf(GimpDrawable* drawable) {
  Placement placed{0, 0, gimp_drawable_get_width(drawable), gimp_drawable_get_height(drawable)};
  gimp_drawable_get_offsets(drawable, &placed.left, &placed.top);
  return placed;
}

// The `rectangle` of `drawable` as the filter sees it, into `bytes` with rows
// `rowBytes` apart; a drawable of more than 8 bits is read into `wide` first,
// interleaved floats, which it keeps.
void ReadBytes(GimpDrawable* drawable, const GeglRectangle& rectangle, uint8_t* bytes, size_t rowBytes,
               std::vector<float>& wide) {
  GeglBuffer* buffer = gimp_drawable_get_buffer(drawable);
  if (EightBit(drawable)) {
    gegl_buffer_get(buffer, &rectangle, 1.0, PageFormat(drawable, "u8"), bytes, static_cast<gint>(rowBytes),
                    GEGL_ABYSS_NONE);
  } else {
    const Babl* format = PageFormat(drawable, "float");
    const size_t row = static_cast<size_t>(rectangle.width) * static_cast<size_t>(babl_format_get_n_components(format));
    wide.resize(row * static_cast<size_t>(rectangle.height));
    gegl_buffer_get(buffer, &rectangle, 1.0, format, wide.data(), GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
    for (size_t y = 0; y < static_cast<size_t>(rectangle.height); ++y)
      std::transform(&wide[y * row], &wide[y * row] + row, bytes + y * rowBytes, HighByte);
  }
  g_object_unref(buffer);
}

}  // namespace

std::optional<DrawableArea> SelectedArea(GimpImage* image, GimpDrawable* drawable, bool canvas) {
  if (!canvas) return SelectedArea<DrawableArea>(image, drawable);
  Canvas whole{gimp_image_get_width(image), gimp_image_get_height(image)};
  gimp_drawable_get_offsets(drawable, &whole.left, &whole.top);
  return SelectedArea<DrawableArea>(image, drawable, whole);
}

AreaPixels ReadPixels(const DrawableArea& area) {
  AreaPixels pixels{base::ImageBuffer({area.width, area.height, PlanesOf(area.imageMode, area.alpha)}), {}};
  ReadBytes(area.drawable, Rectangle(area), pixels.page.data(), static_cast<size_t>(pixels.page.rowBytes()),
            pixels.wide);
  return pixels;
}

io::ImageFile ReadHintsOver(const DrawableArea& area, GimpLayer* hints) {
  GimpDrawable* layer = GIMP_DRAWABLE(hints);
  const auto read = [layer](const Placement& part, uint8_t* pixels, size_t rowBytes) {
    std::vector<float> wide;  // dropped: hints are only read, never written back
    ReadBytes(layer, {part.left, part.top, part.width, part.height}, pixels, rowBytes, wide);
  };
  return HintsPage(PlacementOf(area.drawable), {area.x, area.y, area.width, area.height}, PlacementOf(layer),
                   ModeOf(layer), gimp_drawable_has_alpha(layer), read);
}

void WritePixels(const DrawableArea& area, AreaPixels& pixels) {
  GeglBuffer* shadow = gimp_drawable_get_shadow_buffer(area.drawable);
  const GeglRectangle rectangle = Rectangle(area);
  if (pixels.wide.empty()) {
    gegl_buffer_set(shadow, &rectangle, 0, PageFormat(area.drawable, "u8"), pixels.page.data(),
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
    gegl_buffer_set(shadow, &rectangle, 0, PageFormat(area.drawable, "float"), pixels.wide.data(), GEGL_AUTO_ROWSTRIDE);
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
  gegl_buffer_set(buffer, &whole, 0, PageFormat(area.drawable, "u8"), pixels.data(),
                  static_cast<gint>(pixels.rowBytes()));
  g_object_unref(buffer);  // flushes it into the layer
  gimp_drawable_update(GIMP_DRAWABLE(layer), 0, 0, area.width, area.height);
}

}  // namespace tessel::gimp
