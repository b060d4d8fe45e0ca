// Hooks that some hosts look up by name; this filter shows nothing through them.
#include "ui/Bridge.h"

short ShowVersionAlert(void*, void*, short, short, short) { return 0; }
void ShowAbout() {}
