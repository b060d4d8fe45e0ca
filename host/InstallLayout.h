// Where the host finds what is installed with it. Everything is looked up
// from the running program, never through a path fixed at build time, so
// that an installed tree works wherever it is moved.
#pragma once

#include <string>

namespace tessel::host {

// The folder holding the module bundle and the colour chooser library: the
// folder of the running code when the bundle lies there (the build tree, and
// code installed beside the module, such as the GIMP plug-in), else the
// install's module folder (<prefix>/lib/tessel for <prefix>/bin/tessel, and
// for libtessel in <prefix>/<libdir>). The running code is libtessel's file
// when the host is that library, loaded by any program, else the program.
// Empty when it cannot be found.
std::string ModuleFolder();

// <prefix>/share/tessel/presets of the install the running code belongs to;
// it need not exist. Empty when the running code cannot be found.
std::string InstalledPresetsFolder();

}  // namespace tessel::host
