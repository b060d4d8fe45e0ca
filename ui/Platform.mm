#import "ui/Platform.h"

#ifdef GNUSTEP
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#import <CoreServices/CoreServices.h>
#endif

#ifdef GNUSTEP

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

NSBundle* TesselModuleBundle() { return [NSBundle bundleForClass:[ComQuarnBundleAnchor class]]; }

void TesselOpenWebPage(const char* address) {
  CFURLRef url = CFURLCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(address),
                                      static_cast<CFIndex>(strlen(address)), kCFStringEncodingUTF8, nullptr);
  if (!url) return;
  LSOpenCFURLRef(url, nullptr);
  CFRelease(url);
}

#endif
