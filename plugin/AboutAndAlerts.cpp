// The filter's About box and its one kind of message, through the interface bridge.
#include "plugin/Tessel.h"
#include "ui/Bridge.h"

int16_t CTessel::DoAbout() {
  doAbout("Tessel", "Fills every region of one colour in line art with a colour of its own.",
          "Copyright (c) the Tessel developers. All rights reserved.\n", kTesselVersionText);
  return noErr;
}

void CPSFilter::Alert(const char* message) { doAlert(message, mName); }
