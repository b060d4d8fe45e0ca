// Sizes as typed: each unit read and turned into whole pixels at a
// resolution, at least one unless the size is none; anything else refused.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/TypedParams.h"

namespace tessel::test {
namespace {

TEST(TypedSize, EachUnitComesOutInWholePixelsAtTheResolution) {
  const double at600 = 600 / 25.4;  // pixels a millimetre
  struct Case {
    const char* typed;
    double pixels;
  };
  for (const Case& c : {Case{"12", 12}, {"12px", 12}, {"0x1e", 30}, {"0.5mm", 12}, {"0.02in", 12}, {"9pt", 75},
                        {"1mm2", 558}, {"0.0001in2", 36}, {"0.01mm", 1}, {"0mm", 0}, {".5mm", 12}})
    EXPECT_EQ(base::ReadSize(c.typed, 0, 1000).Pixels(at600), c.pixels) << c.typed;
  for (const char* bad : {"", "mm", "-1", "+3", " 3", "1.5", "1.5px", "3 mm", "3cm", "3mm3", "-1mm", "nanmm",
                          "1e400mm", "1001"})
    EXPECT_THROW(base::ReadSize(bad, 0, 1000), std::invalid_argument) << bad;
  // A physical size is held to the range only once it is in pixels.
  EXPECT_EQ(base::ReadSize("5mm", 0, 10).text(), "5mm");
}

}  // namespace
}  // namespace tessel::test
