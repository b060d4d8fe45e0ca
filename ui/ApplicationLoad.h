// Bringing up the window system inside a process that is not a Cocoa
// application: the plug-in module inside its host, and the host's own colour
// chooser. Either may come first; the second finds the application ready.
#pragma once

#import <AppKit/AppKit.h>

// Why no window can be shown in this process (no display to talk to), or nil
// when windows can be shown.
NSString* TesselWindowSystemMissing();

// Makes the shared application ready for modal windows, once per process;
// YES when it is ready. Raises when no window system answers.
BOOL TesselApplicationLoad();
