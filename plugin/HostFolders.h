// The two folders the filter relies on: the host's presets folder (through
// its GetFileList and GetPath suites, CPSFilter::GetPresetsPath) and the
// user's per-user preferences folder.
#pragma once

#include <string>

// The filter's file and folder names: the preferences file in the
// preferences folder, and the swatch folder below the presets folder.
enum : int { kPrefsFileNameIndex = 0, kSwatchFolderNameIndex = 1 };
inline const char* const kPrefsName[] = {"Tessel Prefs", "Color Swatches"};
// The extension of a swatch file the dialog offers, matched exactly.
inline const char* const kSwatchExtension = ".aco";

// True with the user's preferences folder, created when missing, in `path`,
// ending with exactly one '/'. False, leaving `path` unchanged, when the
// system cannot name or create it.
bool GetPrefsFolderPath(std::string& path);
