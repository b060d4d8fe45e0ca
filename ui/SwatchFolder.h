// The swatch files a user may choose from: the ".aco" entries of the presets
// folder's "Color Swatches" folder.
#pragma once

#include <functional>

namespace tessel::ui {

// Calls `add` with the file name of every entry of <presetsPath>/Color Swatches
// whose extension is exactly ".aco" (case-sensitive; folders and hidden
// entries included), in the order the file system delivers them. An empty
// path lists nothing. A missing or unreadable folder, or an error while
// walking it, ends the listing quietly: names already passed stay passed.
void ListSwatchFiles(const char* presetsPath, const std::function<void(const char*)>& add);

}  // namespace tessel::ui
