// The two folders the filter relies on: the host's presets folder (through
// its GetFileList and GetPath suites, CPSFilter::GetPresetsPath) and the
// user's per-user preferences folder.
#pragma once

#include <string>

#include "interface/FolderNames.h"

// True with the user's preferences folder, created when missing, in `path`,
// ending with exactly one '/'. False, leaving `path` unchanged, when the
// system cannot name or create it.
bool GetPrefsFolderPath(std::string& path);
