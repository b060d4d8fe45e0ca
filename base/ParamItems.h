// The filter's parameters as the descriptor items a recorded action carries.
// The command's options and the GIMP procedure's arguments both build the
// descriptor they replay from these, so both hand the filter the same action;
// the keys are the parameters' declared ones.
#pragma once

#include <string>

#include "base/Descriptor.h"
#include "interface/ParamDeclarations.h"

namespace tessel::base::params {

using parameter::kKeyOf;

// A colour parameter: an RGB colour object of 16-bit components.
DescriptorItem ColorItem(DescriptorKeyID key, const _t_ASRGBColor& color);

// Paints with the swatch file `name`; an empty name means random colours.
void PutPalette(Descriptor& descriptor, const std::string& name);

// The record that `recorded` describes, as the filter reads it: the defaults,
// overwritten by each declared item of the declared type (a colour's missing
// components read as 0, integers narrowed as the record's member holds them).
// Items of another type are passed over.
_STesselParams RecordOf(const Descriptor& recorded);

}  // namespace tessel::base::params
