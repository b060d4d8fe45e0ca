#import "ui/TesselDialogController.h"

#include <algorithm>
#include <cstring>

#include "interface/ParamDeclarations.h"
#import "ui/Maker.h"
#import "ui/PSColorWell.h"
#import "ui/Platform.h"
#import "ui/WindowResource.h"

namespace {

// Records and wells exchange colours by whole bytes: the well shows the high
// byte of each 16-bit component and gives it back with a zero low byte, as the
// editor's own dialog does (255 is 65280). The command line repeats the byte
// instead (255 is 65535, cli/ParamOptions.cpp); both paint the same 8-bit
// colour.
void ShowColor(const _t_ASRGBColor& color, ComQuarnPSColorWell* well) {
  if (!well) return;
  well->mFilterColor[0] = static_cast<unsigned char>(color.red >> 8);
  well->mFilterColor[1] = static_cast<unsigned char>(color.green >> 8);
  well->mFilterColor[2] = static_cast<unsigned char>(color.blue >> 8);
  well->mFilterColor[3] = 0;
  [well setNeedsDisplay:YES];
  [well display];
}

void TakeColor(ComQuarnPSColorWell* well, _t_ASRGBColor& color) {
  if (!well) return;
  color.red = static_cast<uint16_t>(well->mFilterColor[0] << 8);
  color.green = static_cast<uint16_t>(well->mFilterColor[1] << 8);
  color.blue = static_cast<uint16_t>(well->mFilterColor[2] << 8);
}

// The palette name may fill its whole field without a terminating zero.
NSString* PaletteNameString(const CTesselParams& params) {
  const size_t length = strnlen(params.paletteName, kPaletteNameSize);
  return [[[NSString alloc] initWithBytes:params.paletteName length:length encoding:NSUTF8StringEncoding] autorelease];
}

void StorePaletteName(NSString* title, CTesselParams& params) {
  std::memset(params.paletteName, 0, kPaletteNameSize);
  const char* utf8 = [title UTF8String];
  if (!utf8) return;
  std::strncpy(params.paletteName, utf8, kPaletteNameSize);
  params.paletteName[kPaletteNameSize - 1] = 0;
}

}  // namespace

@implementation ComQuarnTesselDialogController

- (id)init {
  self = [super init];
  if (self) {
    mTopLevelObjects = TesselLoadWindowResource(@"Tessel", self);
    [myWindow setReleasedWhenClosed:NO];
  }
  return self;
}

- (void)dealloc {
  TesselReleaseWindowResource(myWindow, mTopLevelObjects, self);
  [super dealloc];
}

- (int)doDialog {
  return TesselRunModal(myWindow, self);
}

- (void)updateEnabledState {
  const BOOL paintAntiAliased = [mAACheck state] != 0;
  [mFillSwatch setEnabled:!paintAntiAliased];
  [mToleranceEdit setEnabled:!paintAntiAliased];
  [mFlagSwatch setEnabled:[mFlagCheck state] != 0];
}

- (IBAction)okPressed:(id)sender {
  (void)sender;
  [NSApp stopModalWithCode:1];
}

- (IBAction)cancelPressed:(id)sender {
  (void)sender;
  [NSApp stopModalWithCode:0];
}

// The window's delegate: its close control cancels.
- (BOOL)windowShouldClose:(id)sender {
  [self cancelPressed:sender];
  return NO;
}

- (IBAction)logoPressed:(id)sender {
  (void)sender;
  TesselOpenWebPage(kMakerWebPage);
}

- (NSColor*)colorFromAdobeColor:(_t_ASRGBColor*)color {
  return [NSColor colorWithDeviceRed:color->red / 65535.0
                               green:color->green / 65535.0
                                blue:color->blue / 65535.0
                               alpha:1.0];
}

- (void)ConvertColor:(NSColor*)color ToAdobeColor:(_t_ASRGBColor*)adobeColor {
  NSColor* device = [color colorUsingColorSpaceName:NSDeviceRGBColorSpace];
  if (!device) return;
  CGFloat red = 0, green = 0, blue = 0, alpha = 0;
  [device getRed:&red green:&green blue:&blue alpha:&alpha];
  adobeColor->red = static_cast<uint16_t>(red * 65535.0);
  adobeColor->green = static_cast<uint16_t>(green * 65535.0);
  adobeColor->blue = static_cast<uint16_t>(blue * 65535.0);
}

- (void)setParameters:(CTesselParams*)params {
  ShowColor(params->flagColor, mFlagSwatch);
  ShowColor(params->fillColor, mFillSwatch);
  [mToleranceEdit setIntValue:params->tolerance];
  [mJoinEdit setIntValue:static_cast<int32_t>(params->joinSize)];
  [mFlagEdit setIntValue:static_cast<int32_t>(params->flagSize)];
  [mJoinCheck setState:params->joinAreas ? 1 : 0];
  [mFlagCheck setState:params->flagAreas ? 1 : 0];
  [mAACheck setState:params->paintAntiAliased ? 1 : 0];
  [mSizeMatrix selectCellWithTag:[(params->measureByArea ? mAreaRadio : mXYRadio) tag]];

  NSInteger palette = 0;
  if (!params->randomColors) {
    NSString* name = PaletteNameString(*params);
    // A remembered swatch file that is no longer listed falls back to random colours.
    if (name) palette = std::max<NSInteger>([mPalettePopup indexOfItemWithTitle:name], 0);
  }
  [mPalettePopup selectItemAtIndex:palette];
  [self updateEnabledState];
}

- (void)getParameters:(CTesselParams*)params {
  // Commits a number still being typed.
  [myWindow makeFirstResponder:myWindow];
  TakeColor(mFillSwatch, params->fillColor);
  TakeColor(mFlagSwatch, params->flagColor);
  params->tolerance = static_cast<uint16_t>([mToleranceEdit intValue]);
  // A negative size would become an enormous one: sizes are held to what the
  // command line accepts.
  params->joinSize = tessel::parameter::SizeFromTyped([mJoinEdit intValue]);
  params->flagSize = tessel::parameter::SizeFromTyped([mFlagEdit intValue]);
  params->joinAreas = [mJoinCheck state] != 0;
  params->flagAreas = [mFlagCheck state] != 0;
  params->paintAntiAliased = [mAACheck state] != 0;
  params->measureByArea = [mSizeMatrix selectedCell] == mAreaRadio;

  if ([mPalettePopup indexOfSelectedItem] == 0) {
    params->randomColors = 1;
  } else {
    params->randomColors = 0;
    StorePaletteName([mPalettePopup titleOfSelectedItem], *params);
  }
}

- (void)addPalettePath:(const char*)name {
  NSString* title = [NSString stringWithUTF8String:name];
  if (title) [mPalettePopup addItemWithTitle:title];
}

- (void)setVersion:(const char*)text {
  NSString* version = [NSString stringWithUTF8String:text];
  if (version) [mVersionLabel setStringValue:version];
}

- (IBAction)paintAAChanged:(id)sender {
  (void)sender;
  [self updateEnabledState];
}

- (IBAction)flagAreasChanged:(id)sender {
  (void)sender;
  [self updateEnabledState];
}

@end
