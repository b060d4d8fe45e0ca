#include "host/InstallLayout.h"

#include <boost/filesystem.hpp>

namespace tessel::host {

namespace fs = boost::filesystem;

namespace {

// Symbolic links resolved: a program linked into another folder (GIMP's
// plug-in folder) still finds what lies beside its real file.
fs::path ProgramFolder() {
  boost::system::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program.parent_path();
}

}  // namespace

std::string ModuleFolder() {
  const fs::path program = ProgramFolder();
  if (program.empty()) return {};
  boost::system::error_code error;
  if (fs::exists(program / TESSEL_BUNDLE_NAME, error)) return program.string();
  return (program / TESSEL_MODULE_FOLDER_FROM_PROGRAM).lexically_normal().string();
}

std::string InstalledPresetsFolder() {
  const fs::path program = ProgramFolder();
  if (program.empty()) return {};
  return (program / TESSEL_PRESETS_FROM_PROGRAM).lexically_normal().string();
}

}  // namespace tessel::host
