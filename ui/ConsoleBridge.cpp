// The interface without any window system, for the core's unit tests: texts
// go to standard error and the dialog cannot be created.
#include "ui/Bridge.h"
#include "ui/ConsoleText.h"

bool initTesselDialog() { return false; }
void addPalettePath(const char*) {}
void setVersion(const char*) {}
bool doTesselDialog(CTesselParams*) { return false; }

void doAbout(const char* name, const char* description, const char* copyright, const char* version) {
  tessel::ui::WriteAbout(name, description, copyright, version);
}

void doAlert(const char* message, const char* title) { tessel::ui::WriteAlert(message, title); }
