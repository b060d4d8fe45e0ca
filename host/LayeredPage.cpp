#include "host/LayeredPage.h"

#include "flats/Compose.h"

namespace tessel::host {

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
  return plane < colourPlanes() ? flats::MultiplyBytes(lines.at(x, y, plane), under) : under;
}

void LayeredPage::PlaneRow(Layer layer, int64_t y, int plane, uint8_t* out) const {
  const ImageBuffer& source = layer == Layer::kLines ? lines : flats.pixels;
  const int64_t step = source.columnBytes();
  const uint8_t* in = source.data() + y * source.rowBytes() + plane * source.planeBytes();
  if (layer == Layer::kComposite && plane < colourPlanes()) {
    const uint8_t* over = lines.data() + y * lines.rowBytes() + plane * lines.planeBytes();
    for (int64_t x = 0; x < width(); ++x) out[x] = flats::MultiplyBytes(over[x * step], in[x * step]);
    return;
  }
  for (int64_t x = 0; x < width(); ++x) out[x] = in[x * step];
}

void LayeredPage::PixelRow(Layer layer, int64_t y, uint8_t* out) const {
  const int count = planes();
  for (int64_t x = 0; x < width(); ++x)
    for (int p = 0; p < count; ++p) *out++ = At(layer, x, y, p);
}

}  // namespace tessel::host
