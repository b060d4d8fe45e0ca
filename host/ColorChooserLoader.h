// The picker the host offers when nothing is scripted: the colour chooser
// library beside the module, loaded on the first pick that finds a display.
// Without a display, or without the library, the user cancels.
#pragma once

#include <string>

#include "host/ColorServices.h"

namespace tessel::host {

// Where the chooser library lies, in ModuleFolder(); empty when the build
// has none.
std::string ColorChooserPath();

ColorServices::Picker DisplayColorChooser();

}  // namespace tessel::host
