// How the colour wells ask the filter's host for a colour. The windows live
// in a library of their own (ui/InterfaceOnDemand.cpp), which cannot reach
// the running filter: the module hands them its picker when it loads them.
#pragma once

#include "plugin/Export.h"

extern "C" {

// Offers the user `rgba` to change; true when a colour was chosen into it.
typedef bool (*ColourPicker)(unsigned char* rgba);

TESSEL_EXPORT void setColourPicker(ColourPicker picker);
}
