// The About box and the warning alert as the filter core reaches them.
#import "ui/About.h"
#include "ui/Bridge.h"
#import "ui/BridgeGuard.h"
#include "ui/ConsoleText.h"
#import "ui/Platform.h"

namespace {

// Texts from the core are ASCII; anything else is shown as UTF-8 when it
// decodes, else left out rather than failing the whole box.
NSString* DisplayString(const char* text) {
  if (!text) return @"";
  NSString* string = [NSString stringWithCString:text encoding:NSASCIIStringEncoding];
  if (!string) string = [NSString stringWithUTF8String:text];
  return string ? string : @"";
}

}  // namespace

void doAbout(const char* name, const char* description, const char* copyright, const char* version) {
  TesselRunGuarded([=] {
    if (TesselWindowSystemMissing()) {
      tessel::ui::WriteAbout(name, description, copyright, version);
      return;
    }
    ComQuarnAbout* about = [[ComQuarnAbout alloc] init];
    if (!about) return;
    @try {
      [about->mVersionLabel setStringValue:DisplayString(version)];
      [about->mTitle setStringValue:DisplayString(name)];
      [about->mDescription setStringValue:DisplayString(description)];
      [about->mCopyright setStringValue:DisplayString(copyright)];
      [about doDialog];
    } @finally {
      [about release];
    }
  });
}

void doAlert(const char* message, const char* title) {
  TesselRunGuarded([=] {
    if (TesselWindowSystemMissing()) {
      tessel::ui::WriteAlert(message, title);
      return;
    }
    TesselApplicationLoad();
    NSAlert* alert = [[NSAlert alloc] init];
    @try {
      [alert addButtonWithTitle:@"OK"];
      [alert setMessageText:DisplayString(title)];
      [alert setInformativeText:DisplayString(message)];
      [alert setAlertStyle:NSWarningAlertStyle];
      [alert runModal];
    } @finally {
      [alert release];
    }
  });
}
