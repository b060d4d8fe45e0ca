#include "host/InstallLayout.h"

#include <dlfcn.h>
#include <link.h>

#include <boost/filesystem.hpp>

namespace tessel::host {

namespace fs = boost::filesystem;

namespace {

struct CodeFile {
  fs::path folder;      // empty when it cannot be found
  bool library = false;  // a shared library (libtessel) loaded by some program
};

// The file this code runs from. Within libtessel that is the library, in
// whatever program loaded it; otherwise the program. Symbolic links are
// resolved: a program linked into another folder (GIMP's plug-in folder)
// still finds what lies beside its real file.
CodeFile RunningCode() {
  Dl_info info;
  link_map* map = nullptr;
  // The program's own entry in the link map has an empty name.
  if (dladdr1(reinterpret_cast<void*>(&RunningCode), &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) && map &&
      map->l_name && *map->l_name) {
    boost::system::error_code error;
    const fs::path library = fs::canonical(map->l_name, error);
    if (!error) return {library.parent_path(), true};
  }
  boost::system::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return {error ? fs::path() : program.parent_path(), false};
}

}  // namespace

std::string ModuleFolder() {
  const CodeFile code = RunningCode();
  if (code.folder.empty()) return {};
  boost::system::error_code error;
  if (fs::exists(code.folder / TESSEL_BUNDLE_NAME, error)) return code.folder.string();
  const fs::path relative = code.library ? TESSEL_MODULE_FOLDER_FROM_LIBRARY : TESSEL_MODULE_FOLDER_FROM_PROGRAM;
  return (code.folder / relative).lexically_normal().string();
}

std::string InstalledPresetsFolder() {
  const std::string modules = ModuleFolder();
  if (modules.empty()) return {};
  return (fs::path(modules) / TESSEL_PRESETS_FROM_MODULE_FOLDER).lexically_normal().string();
}

}  // namespace tessel::host
