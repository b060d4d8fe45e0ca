// A filter record pointing at a generated page, with a small stand-in for the
// host's colour services, so that the fill engine runs without a real host.
#pragma once

#include <cstdint>
#include <vector>

#include "interface/PhotoshopHost.h"
#include "tests/support/LineArt.h"

namespace tessel::testing {

// Colour services that convert by simple rules (RGB into grey by the mean,
// into CMYK as 255-means-no-ink bytes with black 255, into Lab as grey with
// neutral chrominance; any other pair passes components through) and record
// every request.
struct FakeColorServices {
  static OSErr Answer(ColorServicesInfo* info);
  static void Reset();
  static std::vector<ColorServicesInfo> requests;
  static OSErr failWith;  // answered instead of converting when not 0
};

// Describes `page` as the delivered output of a flat image in `imageMode`.
void DescribePage(FilterRecord& record, Page& page, int16_t imageMode);

}  // namespace tessel::testing
