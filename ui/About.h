// The About box, loaded from the window resource "About".
#pragma once

#import <AppKit/AppKit.h>

@interface ComQuarnAbout : NSObject {
 @public
  IBOutlet NSWindow* myWindow;
  IBOutlet NSTextField* mVersionLabel;
  IBOutlet NSTextField* mTitle;
  IBOutlet NSTextField* mDescription;
  IBOutlet NSTextField* mCopyright;
  // The resource's top-level objects, owned by the controller.
  NSArray* mTopLevelObjects;
}
// Loads the window, not yet shown; the outlets stay nil when that fails.
- (id)init;
- (void)dealloc;
- (IBAction)logoPressed:(id)sender;
- (IBAction)okPressed:(id)sender;
// Closing the window ends the box as OK does.
- (void)windowWillClose:(NSNotification*)notification;
// Shows the box modally until it is dismissed; answers the loop's code.
- (int)doDialog;
@end
