// The filter's parameters as the descriptor items a recorded action carries.
// The command's options and the GIMP procedure's arguments both build the
// descriptor they replay from these, so both hand the filter the same action.
#pragma once

#include <string>

#include "host/Descriptor.h"
#include "plugin/FourCharCode.h"

namespace tessel::host::params {

inline constexpr DescriptorKeyID kFillColor = FourCharCode("BckC");
inline constexpr DescriptorKeyID kTolerance = FourCharCode("Tlrn");
inline constexpr DescriptorKeyID kAntiAliased = FourCharCode("PaAp");
inline constexpr DescriptorKeyID kPalette = FourCharCode("PltF");
inline constexpr DescriptorKeyID kRandomColors = FourCharCode("RanD");
inline constexpr DescriptorKeyID kFlag = FourCharCode("FlaG");
inline constexpr DescriptorKeyID kFlagColor = FourCharCode("Clr ");
inline constexpr DescriptorKeyID kFlagSize = FourCharCode("FlgS");
inline constexpr DescriptorKeyID kJoin = FourCharCode("JoiN");
inline constexpr DescriptorKeyID kJoinSize = FourCharCode("JinS");
inline constexpr DescriptorKeyID kSizeByArea = FourCharCode("Ar  ");

// The largest region size: sizes travel as signed 32-bit integers.
inline constexpr int32_t kLargestSize = 2147483647;

// A colour parameter: an RGB colour object of 16-bit components.
DescriptorItem ColorItem(DescriptorKeyID key, const _t_ASRGBColor& color);

// Paints with the swatch file `name`; an empty name means random colours.
void PutPalette(Descriptor& descriptor, const std::string& name);

}  // namespace tessel::host::params
