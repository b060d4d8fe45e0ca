// The presets folder the host hands to the filter, and the swatch files in
// its "Color Swatches" subfolder that the dialog offers.
#pragma once

#include <string>
#include <vector>

namespace tessel::host {

// $XDG_DATA_HOME/tessel/presets when that is an absolute path, else
// $HOME/.local/share/tessel/presets; empty when neither can be had.
std::string DefaultPresetsFolder();

std::string SwatchFolder(const std::string& presetsFolder);

// The names the dialog lists: entries ending exactly in ".aco", sorted.
// Empty when the folder is missing or unreadable.
std::vector<std::string> ListSwatchFiles(const std::string& presetsFolder);

// Empty when the dialog would list `name`, else why a run cannot paint with it.
std::string SwatchFileProblem(const std::string& presetsFolder, const std::string& name);

}  // namespace tessel::host
