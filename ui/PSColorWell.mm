#import "ui/PSColorWell.h"

#include "ui/ColourPicking.h"

namespace {

ColourPicker sPicker = nullptr;

}  // namespace

void setColourPicker(ColourPicker picker) { sPicker = picker; }


@implementation ComQuarnPSColorWell

- (id)initWithFrame:(NSRect)frame {
  self = [super initWithFrame:frame];
  if (self) {
    for (unsigned char& component : mFilterColor) component = 255;
    mEnabled = YES;
  }
  return self;
}

- (void)dealloc {
  [super dealloc];
}

- (BOOL)acceptsFirstMouse:(NSEvent*)event {
  (void)event;
  return YES;
}

- (BOOL)acceptsFirstResponder {
  return YES;
}

- (void)setEnabled:(BOOL)enabled {
  mEnabled = enabled;
  [self setNeedsDisplay:YES];
}

- (void)drawRect:(NSRect)rect {
  (void)rect;
  NSRect bounds = [self bounds];
  NSColor* inside = nil;
  if (mEnabled) {
    NSDrawLightBezel(bounds, bounds);
    // Set after the bezel, which draws in colours of its own.
    inside = [NSColor colorWithDeviceRed:mFilterColor[0] / 255.0
                                   green:mFilterColor[1] / 255.0
                                    blue:mFilterColor[2] / 255.0
                                   alpha:1.0];
  } else {
    [[NSColor colorWithDeviceRed:208 / 255.0 green:208 / 255.0 blue:208 / 255.0 alpha:1.0] set];
    NSFrameRect(bounds);
    inside = [NSColor whiteColor];
  }
  [NSGraphicsContext saveGraphicsState];
  [inside set];
  [[NSBezierPath bezierPathWithRect:NSInsetRect(bounds, 2.0, 2.0)] addClip];
  NSRectFill(bounds);
  [NSGraphicsContext restoreGraphicsState];
}

- (void)mouseDown:(NSEvent*)event {
  (void)event;
  [self setNeedsDisplay:YES];
}

- (void)mouseUp:(NSEvent*)event {
  (void)event;
  if (mEnabled && sPicker) sPicker(mFilterColor);
  [self setNeedsDisplay:YES];
}

@end
