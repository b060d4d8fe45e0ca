// Result codes our host answers from its callbacks, beside the ones shared
// with the filter in the host-interface header.
#pragma once

#include "interface/PhotoshopHost.h"

namespace tessel::host {

// The editor's answer to a request it cannot serve as asked (paramErr).
constexpr OSErr kParamErr = -50;

}  // namespace tessel::host
