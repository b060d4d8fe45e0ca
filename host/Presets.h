// The presets folder the host hands to the filter, and the swatch files in
// its "Color Swatches" subfolder that the dialog offers.
#pragma once

#include <string>
#include <vector>

namespace tessel::host {

// The user's own folder, $XDG_DATA_HOME/tessel/presets (XDG_DATA_HOME an
// absolute path, else ~/.local/share), when it exists; else the first
// tessel/presets in $XDG_DATA_DIRS (by default /usr/local/share:/usr/share),
// else the one installed with the program; when none exists, the user's own
// (empty when there is no home).
std::string DefaultPresetsFolder();

std::string SwatchFolder(const std::string& presetsFolder);

// The names the dialog lists: entries ending exactly in ".aco", sorted.
// Empty when the folder is missing or unreadable.
std::vector<std::string> ListSwatchFiles(const std::string& presetsFolder);

// Empty when the dialog would list `name`, else why a run cannot paint with it.
std::string SwatchFileProblem(const std::string& presetsFolder, const std::string& name);

}  // namespace tessel::host
