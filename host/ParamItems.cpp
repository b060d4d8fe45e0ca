#include "host/ParamItems.h"

namespace tessel::host::params {

DescriptorItem ColorItem(DescriptorKeyID key, const _t_ASRGBColor& color) {
  Descriptor components{{{FourCharCode("Rd  "), int32_t(color.red)},
                         {FourCharCode("Grn "), int32_t(color.green)},
                         {FourCharCode("Bl  "), int32_t(color.blue)},
                         {0, int32_t(0)}}};
  return {key, ObjectValue{FourCharCode("RGBC"), std::move(components)}};
}

void PutPalette(Descriptor& descriptor, const std::string& name) {
  if (!name.empty()) descriptor.Put({kPalette, name});
  descriptor.Put({kRandomColors, name.empty()});
}

}  // namespace tessel::host::params
