// Rows shared among threads: each row once, and a failure in any band is
// the caller's.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "base/RowBands.h"

namespace tessel::test {
namespace {

TEST(RowBands, EachRowOnceInBandsAndAFailureComesBack) {
  for (const int64_t height : {0, 1, 255, 256, 513, 10007}) {
    std::vector<std::atomic<int>> visits(static_cast<size_t>(height));
    base::InRowBands(height, [&](int64_t begin, int64_t end) {
      for (int64_t y = begin; y < end; ++y) ++visits[static_cast<size_t>(y)];
    });
    for (int64_t y = 0; y < height; ++y) ASSERT_EQ(visits[static_cast<size_t>(y)], 1) << height << " rows, row " << y;
  }
  EXPECT_THROW(base::InRowBands(10007,
                                 [](int64_t, int64_t end) {
                                   if (end == 10007) throw std::runtime_error("the last band fails");
                                 }),
               std::runtime_error);
}

}  // namespace
}  // namespace tessel::test
