// The parameters dialog: loads the window resource "Tessel", moves values
// between its controls and the parameters record, keeps the controls'
// enabled states consistent and runs the modal loop.
#pragma once

#import <AppKit/AppKit.h>

#include "engine/TesselParams.h"

@class ComQuarnPSColorWell;

@interface ComQuarnTesselDialogController : NSObject {
 @public
  IBOutlet NSWindow* myWindow;
  IBOutlet NSButton* mAACheck;
  IBOutlet ComQuarnPSColorWell* mFillSwatch;
  IBOutlet ComQuarnPSColorWell* mFlagSwatch;
  IBOutlet NSTextField* mToleranceEdit;
  IBOutlet NSTextField* mJoinEdit;
  IBOutlet NSTextField* mFlagEdit;
  IBOutlet NSButton* mJoinCheck;
  IBOutlet NSButton* mFlagCheck;
  IBOutlet NSMatrix* mSizeMatrix;
  IBOutlet NSButtonCell* mXYRadio;
  IBOutlet NSButtonCell* mAreaRadio;
  IBOutlet NSPopUpButton* mPalettePopup;
  IBOutlet NSTextField* mVersionLabel;
  // The resource's top-level objects, owned by the controller.
  NSArray* mTopLevelObjects;
}
// Loads the window, not yet shown; the outlets stay nil when that fails.
- (id)init;
// Shows the window and runs it modally: 1 for OK, 0 for Cancel.
- (int)doDialog;
- (void)updateEnabledState;
- (IBAction)okPressed:(id)sender;
- (IBAction)cancelPressed:(id)sender;
- (IBAction)logoPressed:(id)sender;
- (NSColor*)colorFromAdobeColor:(_t_ASRGBColor*)color;
- (void)ConvertColor:(NSColor*)color ToAdobeColor:(_t_ASRGBColor*)adobeColor;
- (void)setParameters:(CTesselParams*)params;
- (void)getParameters:(CTesselParams*)params;
- (void)addPalettePath:(const char*)name;
- (void)setVersion:(const char*)text;
- (IBAction)paintAAChanged:(id)sender;
- (IBAction)flagAreasChanged:(id)sender;
@end
