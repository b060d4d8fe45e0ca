// The user interface as the filter core reaches it: plain exported functions
// taking NUL-terminated strings and the parameters record.
#pragma once

#include "engine/TesselParams.h"
#include "plugin/Export.h"

extern "C" {

// Parameters dialog: create, fill, run. doTesselDialog answers true for OK.
TESSEL_EXPORT bool initTesselDialog();
TESSEL_EXPORT void addPalettePath(const char* name);
TESSEL_EXPORT void setVersion(const char* text);
TESSEL_EXPORT bool doTesselDialog(CTesselParams* params);

// About box and the warning alert; both block until dismissed.
TESSEL_EXPORT void doAbout(const char* name, const char* description, const char* copyright, const char* version);
TESSEL_EXPORT void doAlert(const char* message, const char* title);

// Hooks kept for hosts that look for them; they show nothing.
TESSEL_EXPORT short ShowVersionAlert(void* a, void* b, short c, short d, short e);
TESSEL_EXPORT void ShowAbout();
}
