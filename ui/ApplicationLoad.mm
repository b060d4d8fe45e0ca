#import "ui/ApplicationLoad.h"

#ifdef GNUSTEP

#include <dlfcn.h>

#include <cstdlib>

// Each image that compiles this file registers the delegate class under its
// own name: Objective-C classes share one process-wide namespace.
#ifndef TESSEL_APPLICATION_DELEGATE
#define TESSEL_APPLICATION_DELEGATE ComQuarnApplicationDelegate
#endif

// Keeps the host's own arguments from being opened as documents when the
// application finishes launching.
@interface TESSEL_APPLICATION_DELEGATE : NSObject
@end

@implementation TESSEL_APPLICATION_DELEGATE
- (BOOL)application:(NSApplication*)application openFile:(NSString*)file {
  (void)application;
  (void)file;
  return YES;
}
- (void)application:(NSApplication*)application openFiles:(NSArray*)files {
  (void)application;
  (void)files;
}
@end

namespace {

// True when an X server accepts a connection; asked through libX11 loaded on
// demand so that the module does not depend on it.
bool DisplayOpens() {
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
  if (!x11) return false;
  using OpenDisplay = void* (*)(const char*);
  using CloseDisplay = int (*)(void*);
  auto open = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
  auto close = reinterpret_cast<CloseDisplay>(dlsym(x11, "XCloseDisplay"));
  bool opens = false;
  if (open && close) {
    if (void* display = open(nullptr)) {
      close(display);
      opens = true;
    }
  }
  dlclose(x11);
  return opens;
}

}  // namespace

NSString* TesselWindowSystemMissing() {
  if (NSApp) return nil;
  const char* display = getenv("DISPLAY");
  if (!display || !*display) return @"DISPLAY is not set";
  if (!DisplayOpens()) return [NSString stringWithFormat:@"cannot open display %s", display];
  return nil;
}

BOOL TesselApplicationLoad() {
  // Whoever made the application first has set it up.
  if (NSApp) return YES;
  // No application icon window, and a title bar drawn by GNUstep itself so
  // that windows look the same with or without a window manager.
  [[NSUserDefaults standardUserDefaults]
      registerDefaults:[NSDictionary dictionaryWithObjectsAndKeys:@"YES", @"GSSuppressAppIcon", @"NO",
                                                                  @"GSX11HandlesWindowDecorations", nil]];
  NSApplication* application = [NSApplication sharedApplication];
  // The application keeps its delegate unretained for the rest of the process.
  [application setDelegate:[[TESSEL_APPLICATION_DELEGATE alloc] init]];
  // Without it no window becomes key and keystrokes are dropped.
  [application finishLaunching];
  return YES;
}

#else

NSString* TesselWindowSystemMissing() { return nil; }

BOOL TesselApplicationLoad() { return NSApplicationLoad(); }

#endif
