// Loading the module's window resources ("Tessel", "About").
#pragma once

#import <AppKit/AppKit.h>

// Makes the application ready and loads the window resource `name` from the
// module's bundle with `owner` as its file's owner, connecting its outlets.
// Answers the resource's top-level objects, retained for the caller to
// release; nil when it cannot be loaded, after logging "failed to load <name> xib".
NSArray* TesselLoadWindowResource(NSString* name, id owner);

// Undoes TesselLoadWindowResource when `owner` goes: detaches the owner as the
// window's delegate, hides the window and releases the top-level objects.
void TesselReleaseWindowResource(NSWindow* window, NSArray* topLevelObjects, id owner);

// Centres and shows `window`, runs it modally until a control stops the loop, then
// hides it; answers the loop's code, or 0 at once when there is no window
// (no control could end the loop).
int TesselRunModal(NSWindow* window, id owner);
