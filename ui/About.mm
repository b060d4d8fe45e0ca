#import "ui/About.h"

#import "ui/Maker.h"
#import "ui/Platform.h"
#import "ui/WindowResource.h"

@implementation ComQuarnAbout

- (id)init {
  self = [super init];
  if (self) {
    mTopLevelObjects = TesselLoadWindowResource(@"About", self);
    [myWindow setReleasedWhenClosed:NO];
  }
  return self;
}

- (void)dealloc {
  TesselReleaseWindowResource(myWindow, mTopLevelObjects, self);
  [super dealloc];
}

- (IBAction)logoPressed:(id)sender {
  (void)sender;
  TesselOpenWebPage(kMakerWebPage);
}

- (IBAction)okPressed:(id)sender {
  (void)sender;
  [NSApp stopModalWithCode:1];
}

- (void)windowWillClose:(NSNotification*)notification {
  (void)notification;
  [NSApp stopModalWithCode:1];
}

- (int)doDialog {
  return TesselRunModal(myWindow, self);
}

@end
