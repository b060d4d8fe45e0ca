// The module's windows live in a library of their own beside it, loaded the
// first time one is wanted: a page filtered without them then never loads the
// window system, whose libraries cost every run start-up time and memory.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "plugin/PSFilter.h"
#include "ui/Bridge.h"
#include "ui/ColourPicking.h"
#include "ui/ConsoleText.h"

namespace {

// Without a running filter there is no host to ask.
bool PickWithFilter(unsigned char* rgba) {
  CPSFilter* filter = CPSFilter::Instance();
  return filter && filter->LetUserPickColor(*reinterpret_cast<unsigned char(*)[4]>(rgba), true);
}

// Loaded once and kept: a window system cannot be unloaded from a process.
// Null when it cannot be loaded; the texts then go to standard error.
void* Interface() {
  static void* const sLibrary = []() -> void* {
    Dl_info module;
    if (!dladdr(reinterpret_cast<void*>(&PickWithFilter), &module) || !module.dli_fname) return nullptr;
    std::string path = module.dli_fname;
    path = path.substr(0, path.rfind('/') + 1) + TESSEL_INTERFACE_FILE_NAME;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      std::fprintf(stderr, "Tessel: no windows can be shown: %s\n", dlerror());
      return nullptr;
    }
    if (auto set = reinterpret_cast<decltype(&setColourPicker)>(dlsym(library, "setColourPicker"))) set(PickWithFilter);
    return library;
  }();
  return sLibrary;
}

template <typename Function>
Function Loaded(const char* name) {
  void* library = Interface();
  return library ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

// The interface library's own definition of a bridge function, or null.
#define TESSEL_LOADED(function) Loaded<decltype(&function)>(#function)

}  // namespace

bool initTesselDialog() {
  const auto loaded = TESSEL_LOADED(initTesselDialog);
  return loaded && loaded();
}

void addPalettePath(const char* name) {
  if (const auto loaded = TESSEL_LOADED(addPalettePath)) loaded(name);
}

void setVersion(const char* text) {
  if (const auto loaded = TESSEL_LOADED(setVersion)) loaded(text);
}

bool doTesselDialog(CTesselParams* params) {
  const auto loaded = TESSEL_LOADED(doTesselDialog);
  return loaded && loaded(params);
}

void doAbout(const char* name, const char* description, const char* copyright, const char* version) {
  if (const auto loaded = TESSEL_LOADED(doAbout)) loaded(name, description, copyright, version);
  else tessel::ui::WriteAbout(name, description, copyright, version);
}

void doAlert(const char* message, const char* title) {
  if (const auto loaded = TESSEL_LOADED(doAlert)) loaded(message, title);
  else tessel::ui::WriteAlert(message, title);
}
