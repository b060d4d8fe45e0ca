#include "io/LayeredPage.h"

#include <cstring>

#include "base/Multiply.h"

namespace tessel::io {

uint8_t LayeredPage::At(Layer layer, int64_t x, int64_t y, int plane) const {
  switch (layer) {
    case Layer::kLines:
      return lines.at(x, y, plane);
    case Layer::kFlats:
      return flats.pixels.at(x, y, plane);
    case Layer::kComposite:
      break;
  }
  const uint8_t under = flats.pixels.at(x, y, plane);
  if (plane >= colourPlanes()) return under;
  const uint8_t over = lines.at(x, y, plane);
  return base::MultiplyBytes(flats.hasTransparency ? base::OverPaper(over, lines.at(x, y, planes() - 1)) : over, under);
}

void LayeredPage::PlaneRow(Layer layer, int64_t y, int plane, uint8_t* out) const {
  const base::ImageBuffer& source = layer == Layer::kLines ? lines : flats.pixels;
  const int64_t step = source.columnBytes();
  const uint8_t* in = source.data() + y * source.rowBytes() + plane * source.planeBytes();
  if (layer == Layer::kComposite && plane < colourPlanes()) {
    if (flats.hasTransparency) {
      for (int64_t x = 0; x < width(); ++x) out[x] = At(layer, x, y, plane);
      return;
    }
    const uint8_t* over = lines.data() + y * lines.rowBytes() + plane * lines.planeBytes();
    for (int64_t x = 0; x < width(); ++x) out[x] = base::MultiplyBytes(over[x * step], in[x * step]);
    return;
  }
  for (int64_t x = 0; x < width(); ++x) out[x] = in[x * step];
}

void LayeredPage::PixelRow(Layer layer, int64_t y, uint8_t* out) const {
  const base::ImageBuffer& source = layer == Layer::kLines ? lines : flats.pixels;
  const int count = planes();
  if (source.columnBytes() != count || (layer == Layer::kComposite && flats.hasTransparency)) {
    for (int64_t x = 0; x < width(); ++x)
      for (int p = 0; p < count; ++p) *out++ = At(layer, x, y, p);
    return;
  }
  // Interleaved already: copied, or multiplied (with no transparency to lay
  // over paper) in one loop the compiler vectorises.
  const uint8_t* in = source.data() + y * source.rowBytes();
  const size_t bytes = static_cast<size_t>(width() * count);
  if (layer != Layer::kComposite) {
    std::memcpy(out, in, bytes);
    return;
  }
  const uint8_t* over = lines.data() + y * lines.rowBytes();
  for (size_t i = 0; i < bytes; ++i) out[i] = base::MultiplyBytes(over[i], in[i]);
}

}  // namespace tessel::io
