#include "host/PluginModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

#include "host/InstallLayout.h"

namespace tessel::host {

PluginModule::PluginModule(const std::string& path) : mPath(path) {
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) throw ModuleError("cannot load the Tessel module " + path + ": " + dlerror());
  mEntry = reinterpret_cast<PluginMainProc>(dlsym(mHandle, "PluginMain"));
  if (!mEntry) {
    dlclose(mHandle);
    throw ModuleError("the module " + path + " exports no PluginMain");
  }
}

PluginModule::~PluginModule() {
  if (mHandle) dlclose(mHandle);
}

int16_t PluginModule::Call(int16_t selector, void* block, intptr_t* data) const {
  int16_t result = 0;
  mEntry(selector, block, data, &result);
  return result;
}

void* PluginModule::Symbol(const char* name) const { return dlsym(mHandle, name); }

std::string DefaultModulePath() { return ModuleSearchPlaces().front(); }

std::vector<std::string> ModuleSearchPlaces() {
  const char* env = std::getenv("TESSEL_MODULE");
  if (env && *env) return {env};
  return {ModuleFolder() + "/" TESSEL_MODULE_IN_FOLDER};
}

std::string FindModulePath() {
  const std::vector<std::string> places = ModuleSearchPlaces();
  std::string looked;
  for (const std::string& place : places) {
    if (access(place.c_str(), F_OK) == 0) return place;
    looked += (looked.empty() ? "" : ", ") + place;
  }
  throw ModuleError("the Tessel module was not found; looked for " + looked +
                    " (set TESSEL_MODULE to the module's path)");
}

}  // namespace tessel::host
