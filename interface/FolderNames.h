// The filter's file and folder names, which the module and every host use
// alike: the preferences file in the preferences folder, and the swatch
// folder below the presets folder.
#pragma once

enum : int { kPrefsFileNameIndex = 0, kSwatchFolderNameIndex = 1 };
inline const char* const kPrefsName[] = {"Tessel Prefs", "Color Swatches"};
// The extension of a swatch file the dialog offers, matched exactly.
inline const char* const kSwatchExtension = ".aco";
