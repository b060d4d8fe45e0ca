#import "ui/Platform.h"

#ifdef GNUSTEP
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#import <CoreServices/CoreServices.h>
#endif

#ifdef GNUSTEP

// Keeps the host's own arguments from being opened as documents when the
// application finishes launching.
@interface ComQuarnApplicationDelegate : NSObject
@end

@implementation ComQuarnApplicationDelegate
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
  static ComQuarnApplicationDelegate* sDelegate = nil;
  if (sDelegate) return YES;
  // No application icon window, and a title bar drawn by GNUstep itself so
  // that the dialog looks the same with or without a window manager.
  [[NSUserDefaults standardUserDefaults]
      registerDefaults:[NSDictionary dictionaryWithObjectsAndKeys:@"YES", @"GSSuppressAppIcon", @"NO",
                                                                  @"GSX11HandlesWindowDecorations", nil]];
  NSApplication* application = [NSApplication sharedApplication];
  sDelegate = [[ComQuarnApplicationDelegate alloc] init];
  [application setDelegate:sDelegate];
  // Without it no window becomes key and keystrokes are dropped.
  [application finishLaunching];
  return YES;
}

NSBundle* TesselModuleBundle() {
  // This module lies in <bundle>/Contents/Linux/. GNUstep looks for resources
  // in the Resources folder right under the path it is given, so the bundle
  // is opened at Contents.
  Dl_info info;
  if (!dladdr(reinterpret_cast<void*>(&TesselModuleBundle), &info) || !info.dli_fname) return nil;
  NSString* module = [NSString stringWithUTF8String:info.dli_fname];
  if (!module) return nil;
  return [NSBundle bundleWithPath:[[module stringByDeletingLastPathComponent] stringByDeletingLastPathComponent]];
}

void TesselOpenWebPage(const char* address) {
  // Through an intermediate child, so that the browser's launcher is never
  // left as a zombie of the host and the dialog does not wait for it.
  pid_t child = fork();
  if (child == 0) {
    if (fork() == 0) {
      execlp("xdg-open", "xdg-open", address, static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) waitpid(child, nullptr, 0);
}

#else

@interface ComQuarnBundleAnchor : NSObject
@end
@implementation ComQuarnBundleAnchor
@end

NSString* TesselWindowSystemMissing() { return nil; }

BOOL TesselApplicationLoad() { return NSApplicationLoad(); }

NSBundle* TesselModuleBundle() { return [NSBundle bundleForClass:[ComQuarnBundleAnchor class]]; }

void TesselOpenWebPage(const char* address) {
  CFURLRef url = CFURLCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(address),
                                      static_cast<CFIndex>(strlen(address)), kCFStringEncodingUTF8, nullptr);
  if (!url) return;
  LSOpenCFURLRef(url, nullptr);
  CFRelease(url);
}

#endif
