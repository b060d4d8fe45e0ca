#include "ui/SwatchFolder.h"

#include <boost/filesystem.hpp>

#include "interface/FolderNames.h"

namespace tessel::ui {

void ListSwatchFiles(const char* presetsPath, const std::function<void(const char*)>& add) {
  // A host that cannot name its presets folder leaves the path empty.
  if (!presetsPath || !*presetsPath) return;
  try {
    boost::filesystem::path folder(presetsPath);
    folder /= kPrefsName[kSwatchFolderNameIndex];
    for (boost::filesystem::directory_iterator entry(folder), end; entry != end; ++entry) {
      const boost::filesystem::path& path = entry->path();
      if (path.extension().compare(boost::filesystem::path(kSwatchExtension)) == 0) add(path.filename().c_str());
    }
  } catch (const boost::filesystem::filesystem_error&) {
    // The dialog then offers what was listed so far and random colours.
  }
}

}  // namespace tessel::ui
