// The interface without any window system: texts go to standard error and
// the dialog cannot be shown, which its caller reports.
#include <cstdio>

#include "ui/Bridge.h"

bool initTesselDialog() { return false; }
void addPalettePath(const char*) {}
void setVersion(const char*) {}
bool doTesselDialog(CTesselParams*) { return false; }

void doAbout(const char* name, const char* description, const char* copyright, const char* version) {
  std::fprintf(stderr, "%s %s\n%s\n%s", name, version, description, copyright);
}

void doAlert(const char* message, const char* title) { std::fprintf(stderr, "%s: %s\n", title, message); }

short ShowVersionAlert(void*, void*, short, short, short) { return 0; }
void ShowAbout() {}
