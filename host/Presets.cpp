#include "host/Presets.h"

#include <algorithm>
#include <cstdlib>

#include <sstream>

#include <boost/filesystem.hpp>

#include "host/InstallLayout.h"
#include "interface/FolderNames.h"

namespace tessel::host {

namespace {

std::string UserPresetsFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + "/tessel/presets";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.local/share/tessel/presets";
  return {};
}

bool IsFolder(const std::string& path) {
  boost::system::error_code error;
  return !path.empty() && boost::filesystem::is_directory(path, error);
}

}  // namespace

std::string DefaultPresetsFolder() {
  const std::string user = UserPresetsFolder();
  if (IsFolder(user)) return user;
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  std::istringstream dirs(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string shared = dir + "/tessel/presets";
    if (dir[0] == '/' && IsFolder(shared)) return shared;
  }
  const std::string installed = InstalledPresetsFolder();
  return IsFolder(installed) ? installed : user;
}

std::string SwatchFolder(const std::string& presetsFolder) {
  return (boost::filesystem::path(presetsFolder) / kPrefsName[kSwatchFolderNameIndex]).string();
}

std::vector<std::string> ListSwatchFiles(const std::string& presetsFolder) {
  std::vector<std::string> names;
  boost::system::error_code error;
  for (boost::filesystem::directory_iterator entry(SwatchFolder(presetsFolder), error), end; !error && entry != end;
       entry.increment(error)) {
    if (entry->path().extension() == kSwatchExtension) names.push_back(entry->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string SwatchFileProblem(const std::string& presetsFolder, const std::string& name) {
  const auto names = ListSwatchFiles(presetsFolder);
  if (std::find(names.begin(), names.end(), name) != names.end()) return {};
  return "no swatch file \"" + name + "\" in " + SwatchFolder(presetsFolder);
}

}  // namespace tessel::host
