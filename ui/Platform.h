// What differs between AppKit on macOS and GNUstep elsewhere, kept to a few
// functions so that every window class compiles unchanged on both.
#pragma once

#import <AppKit/AppKit.h>

#import "ui/ApplicationLoad.h"

// The bundle that holds this module and its window resources, or nil.
NSBundle* TesselModuleBundle();

// Opens a web page in the user's browser without waiting for it.
void TesselOpenWebPage(const char* address);
