// A colour swatch of the parameters dialog that changes its colour through
// the host's own colour picker rather than the system colour panel.
#pragma once

#import <AppKit/AppKit.h>

@interface ComQuarnPSColorWell : NSView {
 @public
  // Red, green, blue and a fourth byte that travels with the colour to the
  // host's picker and back. The dialog reads and writes it directly.
  unsigned char mFilterColor[4];
  BOOL mEnabled;
}
- (id)initWithFrame:(NSRect)frame;
- (void)dealloc;
- (BOOL)acceptsFirstMouse:(NSEvent*)event;
- (BOOL)acceptsFirstResponder;
// Stores the flag and redraws; a disabled well ignores clicks and shows white.
- (void)setEnabled:(BOOL)enabled;
- (void)drawRect:(NSRect)rect;
- (void)mouseDown:(NSEvent*)event;
// When enabled, runs the host's colour picker on the colour.
- (void)mouseUp:(NSEvent*)event;
@end
