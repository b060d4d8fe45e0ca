#include "interface/ColorChooser.h"

#include <cmath>

#import "ui/ApplicationLoad.h"
#import "ui/BridgeGuard.h"

namespace {

NSString* const kDefaultTitle = @"Color Picker";

unsigned char ToByte(CGFloat component) {
  return static_cast<unsigned char>(std::lround(std::fmin(std::fmax(component, 0.0), 1.0) * 255.0));
}

}  // namespace

// The shared colour panel with OK, Cancel and a hex field beneath its pickers,
// run modally; the panel is handed back as it was found.
@interface ComQuarnColorChooser : NSObject {
  NSColorPanel* mPanel;
  NSView* mAccessory;
  NSTextField* mHexField;
  NSRect mPanelFrame;  // the panel's frame before the chooser enlarged it
}
- (id)initWithPreset:(const unsigned char*)preset title:(NSString*)title;
- (BOOL)runModal;
- (void)chosenColor:(unsigned char*)rgb;
@end

@implementation ComQuarnColorChooser

- (NSButton*)buttonTitled:(NSString*)title frame:(NSRect)frame action:(SEL)action key:(NSString*)key {
  NSButton* button = [[[NSButton alloc] initWithFrame:frame] autorelease];
  [button setTitle:title];
  [button setBezelStyle:NSRoundedBezelStyle];
  [button setTarget:self];
  [button setAction:action];
  [button setKeyEquivalent:key];
  [mAccessory addSubview:button];
  return button;
}

- (void)makeAccessory {
  mAccessory = [[NSView alloc] initWithFrame:NSMakeRect(0, 0, 230, 60)];
  NSTextField* label = [[[NSTextField alloc] initWithFrame:NSMakeRect(4, 34, 40, 22)] autorelease];
  [label setStringValue:@"Hex #"];
  [label setEditable:NO];
  [label setBezeled:NO];
  [label setDrawsBackground:NO];
  [mAccessory addSubview:label];
  mHexField = [[NSTextField alloc] initWithFrame:NSMakeRect(48, 34, 80, 22)];
  [mHexField setTarget:self];
  [mHexField setAction:@selector(hexEntered:)];
  [mAccessory addSubview:mHexField];
  [self buttonTitled:@"Cancel" frame:NSMakeRect(48, 4, 80, 26) action:@selector(cancelPressed:) key:@"\033"];
  [self buttonTitled:@"OK" frame:NSMakeRect(136, 4, 80, 26) action:@selector(okPressed:) key:@"\r"];
}

- (id)initWithPreset:(const unsigned char*)preset title:(NSString*)title {
  self = [super init];
  if (!self) return nil;
  mPanel = [[NSColorPanel sharedColorPanel] retain];
  mPanelFrame = [mPanel frame];
  [self makeAccessory];
  [mPanel setAccessoryView:mAccessory];
  // The panel does not grow by itself to make room for the accessory.
  const NSSize content = [[mPanel contentView] frame].size;
  [mPanel setContentSize:NSMakeSize(std::fmax(content.width, NSWidth([mAccessory frame])),
                                    content.height + NSHeight([mAccessory frame]))];
  [mPanel setShowsAlpha:NO];
  [mPanel setTitle:[title length] ? title : kDefaultTitle];
  [mPanel setColor:[NSColor colorWithDeviceRed:preset[0] / 255.0 green:preset[1] / 255.0 blue:preset[2] / 255.0
                                         alpha:1.0]];
  [mPanel setTarget:self];
  [mPanel setAction:@selector(colorChanged:)];
  [self colorChanged:mPanel];
  [[NSNotificationCenter defaultCenter] addObserver:self
                                           selector:@selector(panelWillClose:)
                                               name:NSWindowWillCloseNotification
                                             object:mPanel];
  return self;
}

- (void)dealloc {
  [[NSNotificationCenter defaultCenter] removeObserver:self];
  [mPanel setTarget:nil];
  [mPanel setAction:NULL];
  [mPanel setAccessoryView:nil];
  [mPanel orderOut:nil];
  [mPanel setFrame:mPanelFrame display:NO];
  [mPanel release];
  [mHexField release];
  [mAccessory release];
  [super dealloc];
}

- (void)chosenColor:(unsigned char*)rgb {
  NSColor* color = [[mPanel color] colorUsingColorSpaceName:NSDeviceRGBColorSpace];
  if (!color) return;
  CGFloat red = 0, green = 0, blue = 0, alpha = 0;
  [color getRed:&red green:&green blue:&blue alpha:&alpha];
  rgb[0] = ToByte(red);
  rgb[1] = ToByte(green);
  rgb[2] = ToByte(blue);
}

// Keeps the hex field showing the panel's colour.
- (void)colorChanged:(id)sender {
  (void)sender;
  unsigned char rgb[3] = {};
  [self chosenColor:rgb];
  [mHexField setStringValue:[NSString stringWithFormat:@"%02X%02X%02X", rgb[0], rgb[1], rgb[2]]];
}

// Six hex digits, with or without "#", set the panel's colour; anything else
// puts the current colour back into the field.
- (void)hexEntered:(id)sender {
  (void)sender;
  NSString* text = [[mHexField stringValue]
      stringByTrimmingCharactersInSet:[NSCharacterSet whitespaceAndNewlineCharacterSet]];
  if ([text hasPrefix:@"#"]) text = [text substringFromIndex:1];
  NSScanner* scanner = [NSScanner scannerWithString:text];
  unsigned value = 0;
  if ([text length] == 6 && [scanner scanHexInt:&value] && [scanner isAtEnd]) {
    [mPanel setColor:[NSColor colorWithDeviceRed:((value >> 16) & 0xFF) / 255.0
                                           green:((value >> 8) & 0xFF) / 255.0
                                            blue:(value & 0xFF) / 255.0
                                           alpha:1.0]];
  }
  [self colorChanged:mPanel];
}

- (void)okPressed:(id)sender {
  // Return reaches OK while the hex field is still being edited.
  [self hexEntered:sender];
  [NSApp stopModalWithCode:NSOKButton];
}

- (void)cancelPressed:(id)sender {
  (void)sender;
  [NSApp stopModalWithCode:NSCancelButton];
}

- (void)panelWillClose:(NSNotification*)notification {
  (void)notification;
  [NSApp stopModalWithCode:NSCancelButton];
}

- (BOOL)runModal {
  [mPanel makeKeyAndOrderFront:nil];
  [mPanel makeFirstResponder:mHexField];
  const NSInteger answer = [NSApp runModalForWindow:mPanel];
  [mPanel orderOut:nil];
  return answer == NSOKButton;
}

@end

int TesselChooseColor(const unsigned char preset[3], const char* prompt, unsigned char chosen[3]) {
  int answer = kTesselChooserNoDisplay;
  if (!preset || !chosen) return answer;
  TesselRunGuarded([&] {
    if (TesselWindowSystemMissing() || !TesselApplicationLoad()) return;
    NSString* title = prompt ? [NSString stringWithUTF8String:prompt] : nil;
    ComQuarnColorChooser* chooser = [[[ComQuarnColorChooser alloc] initWithPreset:preset title:title] autorelease];
    answer = kTesselChooserCancelled;
    if ([chooser runModal]) {
      [chooser chosenColor:chosen];
      answer = kTesselChooserChosen;
    }
  });
  return answer;
}
