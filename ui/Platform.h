// What differs between AppKit on macOS and GNUstep elsewhere, kept to a few
// functions so that every window class compiles unchanged on both.
#pragma once

#import <AppKit/AppKit.h>

// Why no window can be shown in this process (no display to talk to), or nil
// when windows can be shown.
NSString* TesselWindowSystemMissing();

// Makes the shared application ready for modal windows inside the host, once
// per process; YES when it is ready. Raises when no window system answers.
BOOL TesselApplicationLoad();

// The bundle that holds this module and its window resources, or nil.
NSBundle* TesselModuleBundle();

// Opens a web page in the user's browser without waiting for it.
void TesselOpenWebPage(const char* address);
