#include "host/ColorChooserLoader.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstdio>

#include "host/InstallLayout.h"
#include "interface/ColorChooser.h"

namespace tessel::host {

namespace {

using ChooseColor = int (*)(const unsigned char*, const char*, unsigned char*);

// Loaded once and kept: a window system cannot be unloaded from a process.
ChooseColor LoadChooser() {
  static ChooseColor sChooser = [] () -> ChooseColor {
    const std::string path = ColorChooserPath();
    if (path.empty()) return nullptr;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
      std::fprintf(stderr, "tessel: no colour chooser: %s\n", dlerror());
      return nullptr;
    }
    return reinterpret_cast<ChooseColor>(dlsym(library, TESSEL_CHOOSER_ENTRY));
  }();
  return sChooser;
}

bool DisplayNamed() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

}  // namespace

std::string ColorChooserPath() {
  const char* library = TESSEL_CHOOSER_FILE_NAME;
  return *library ? ModuleFolder() + "/" + library : std::string();
}

ColorServices::Picker DisplayColorChooser() {
  return [](const PickRequest& request) -> std::optional<RgbBytes> {
    if (!DisplayNamed()) return std::nullopt;
    const ChooseColor choose = LoadChooser();
    if (!choose) return std::nullopt;
    RgbBytes chosen = request.preset;
    if (choose(request.preset.data(), request.prompt.c_str(), chosen.data()) != kTesselChooserChosen)
      return std::nullopt;
    return chosen;
  };
}

}  // namespace tessel::host
