// A request to the host's colour services, filled in as the filter fills it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "interface/PhotoshopHost.h"

namespace tessel::test {

// `selector` applied to the colour `in` (its components in `from`'s order),
// for a result in the space `to`; four bytes where `in` is braced.
template <typename Components = std::array<uint8_t, 4>>
ColorServicesInfo ColorRequest(int16_t selector, int16_t from, const Components& in, int16_t to) {
  ColorServicesInfo info{};
  info.infoSize = sizeof(ColorServicesInfo);
  info.selector = selector;
  info.sourceSpace = from;
  info.resultSpace = to;
  std::copy(in.begin(), in.end(), info.colorComponents);
  return info;
}

}  // namespace tessel::test
