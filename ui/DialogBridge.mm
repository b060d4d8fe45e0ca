// The parameters dialog as the filter core reaches it.
#include <cstdio>

#include "ui/Bridge.h"
#import "ui/BridgeGuard.h"
#import "ui/Platform.h"
#import "ui/TesselDialogController.h"

namespace {

// The dialog of the current parameters command.
ComQuarnTesselDialogController* sDialogController = nil;

void ReplaceController(ComQuarnTesselDialogController* controller) {
  [sDialogController release];
  sDialogController = controller;
}

}  // namespace

bool initTesselDialog() {
  TesselRunGuarded([] {
    ReplaceController(nil);
    if (NSString* missing = TesselWindowSystemMissing()) {
      std::fprintf(stderr, "Tessel: the parameters dialog needs a display (%s)\n", [missing UTF8String]);
      return;
    }
    ReplaceController([[ComQuarnTesselDialogController alloc] init]);
    // A dialog without its window could never be answered.
    if (sDialogController && !sDialogController->myWindow) ReplaceController(nil);
  });
  return sDialogController != nil;
}

void addPalettePath(const char* name) {
  if (!name) return;
  TesselRunGuarded([name] { [sDialogController addPalettePath:name]; });
}

void setVersion(const char* text) {
  if (!text) return;
  TesselRunGuarded([text] { [sDialogController setVersion:text]; });
}

bool doTesselDialog(CTesselParams* params) {
  if (!params || !sDialogController) return false;
  bool accepted = false;
  const bool completed = TesselRunGuarded([params, &accepted] {
    [sDialogController setParameters:params];
    accepted = [sDialogController doDialog] != 0;
    [sDialogController getParameters:params];
  });
  return completed && accepted;
}
