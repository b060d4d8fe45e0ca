// What every exported interface function does around its work.
#pragma once

#import <Foundation/Foundation.h>

// Runs `body` inside its own autorelease pool and drops an NSException raised
// in it (any other exception passes on). Answers whether `body` ran to its end.
template <typename Body>
bool TesselRunGuarded(Body body) {
  NSAutoreleasePool* pool = [[NSAutoreleasePool alloc] init];
  bool completed = false;
  @try {
    body();
    completed = true;
  } @catch (NSException* exception) {
    (void)exception;
  } @finally {
    [pool drain];
  }
  return completed;
}
