// The per-user preferences folder. On the editor's own platform the system's
// folder services name it; on Linux it is the XDG configuration folder.
#include <cstdlib>
#include <string>

#include <boost/filesystem.hpp>
#include <boost/system/error_code.hpp>

#include "plugin/HostFolders.h"

namespace {

// $XDG_CONFIG_HOME when it is an absolute path (relative ones are to be
// ignored), else $HOME/.config; empty when neither can be had.
std::string ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  return {};
}

}  // namespace

bool GetPrefsFolderPath(std::string& path) {
  std::string folder = ConfigHome();
  if (folder.empty()) return false;
  boost::system::error_code error;
  boost::filesystem::create_directories(folder, error);
  if (error || !boost::filesystem::is_directory(folder, error)) return false;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  path = folder + "/";
  return true;
}
