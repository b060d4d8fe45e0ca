// The plug-in module as the editor sees it: a loadable file with PluginMain.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "interface/PhotoshopHost.h"

namespace tessel::host {

class ModuleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PluginModule {
 public:
  // Loads the module; throws ModuleError naming the file and the loader's reason.
  explicit PluginModule(const std::string& path);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // Calls PluginMain exactly as the editor does.
  int16_t Call(int16_t selector, void* block, intptr_t* data) const;
  // Any other exported symbol (the interface bridges), or null.
  void* Symbol(const char* name) const;
  const std::string& path() const { return mPath; }

 private:
  std::string mPath;
  void* mHandle = nullptr;
  PluginMainProc mEntry = nullptr;
};

// The module to load: $TESSEL_MODULE when set, else the bundle's module in
// ModuleFolder().
std::string DefaultModulePath();

// The places the module is looked for, in order; $TESSEL_MODULE alone when set.
std::vector<std::string> ModuleSearchPlaces();

// The first of ModuleSearchPlaces() that exists. Throws ModuleError naming
// every place looked when none does.
std::string FindModulePath();

}  // namespace tessel::host
