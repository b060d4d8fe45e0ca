// The host's colour chooser, a library of its own so that the host program
// links no window system: loaded on demand when a display is there.
#pragma once

extern "C" {

enum TesselChooserAnswer { kTesselChooserCancelled = 0, kTesselChooserChosen = 1, kTesselChooserNoDisplay = -1 };

// Shows a modal colour chooser preset to `preset` (red, green, blue) with
// `prompt` as its title (null or empty for the host's own). On
// kTesselChooserChosen `chosen` holds the colour; otherwise it is untouched.
__attribute__((visibility("default"))) int TesselChooseColor(const unsigned char preset[3], const char* prompt,
                                                         unsigned char chosen[3]);
}

// The name the host looks the chooser up by.
#define TESSEL_CHOOSER_ENTRY "TesselChooseColor"
