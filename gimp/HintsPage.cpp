#include "gimp/HintsPage.h"

#include <algorithm>
#include <vector>

#include "interface/PhotoshopHost.h"

namespace tessel::gimp {

int PlanesOf(int16_t imageMode, bool alpha) { return (imageMode == plugInModeGrayScale ? 1 : 3) + (alpha ? 1 : 0); }

io::ImageFile HintsPage(const Placement& drawable, const Placement& area, const Placement& layer, int16_t imageMode,
                        bool alpha, const ReadLayerPart& read) {
  const Placement onImage{drawable.left + area.left, drawable.top + area.top, area.width, area.height};
  const int planes = PlanesOf(imageMode, alpha);
  io::ImageFile page{base::ImageBuffer({onImage.width, onImage.height, planes}), imageMode, alpha, {}};
  page.pixels.Fill(std::vector<uint8_t>(static_cast<size_t>(planes), alpha ? 0 : 255));
  const int left = std::max(onImage.left, layer.left), top = std::max(onImage.top, layer.top);
  const int right = std::min(onImage.left + onImage.width, layer.left + layer.width);
  const int bottom = std::min(onImage.top + onImage.height, layer.top + layer.height);
  if (left >= right || top >= bottom) return page;
  read({left - layer.left, top - layer.top, right - left, bottom - top},
       &page.pixels.at(left - onImage.left, top - onImage.top, 0), static_cast<size_t>(page.pixels.rowBytes()));
  return page;
}

}  // namespace tessel::gimp
