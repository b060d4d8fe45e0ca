#import "ui/WindowResource.h"

#import "ui/Platform.h"

NSArray* TesselLoadWindowResource(NSString* name, id owner) {
  TesselApplicationLoad();
  NSArray* topLevelObjects = nil;
  NSNib* nib = [[NSNib alloc] initWithNibNamed:name bundle:TesselModuleBundle()];

  if (nib && [nib instantiateWithOwner:owner topLevelObjects:&topLevelObjects]) [topLevelObjects retain];
  else topLevelObjects = nil;
  [nib release];
  if (!topLevelObjects) NSLog(@"failed to load %@ xib", name);
  return topLevelObjects;
}

void TesselReleaseWindowResource(NSWindow* window, NSArray* topLevelObjects, id owner) {
  [window setDelegate:nil];
  [window orderOut:owner];
  [topLevelObjects release];
}

int TesselRunModal(NSWindow* window, id owner) {
  if (!window) return 0;
  [window center];
  [window makeKeyAndOrderFront:nil];
  NSInteger code = [[NSApplication sharedApplication] runModalForWindow:window];
  [window orderOut:owner];
  return static_cast<int>(code);
}
