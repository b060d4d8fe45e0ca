// Huge-page memory as the page buffer and the records' allocator take it:
// aligned to a huge page, zeroed, and writable to the end of its last page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/HugePages.h"

namespace tessel::base {
namespace {

TEST(HugePages, AreAlignedZeroedAndWholeWhateverTheSizeAsked) {
  for (const size_t bytes : {kHugePageBytes, 3 * kHugePageBytes + 1}) {
    auto* memory = static_cast<uint8_t*>(MapHugePages(bytes));
    ASSERT_NE(memory, nullptr) << bytes;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(memory) % kHugePageBytes, 0u) << bytes;
    EXPECT_EQ(std::count(memory, memory + bytes, 0), static_cast<std::ptrdiff_t>(bytes)) << bytes;
    const size_t whole = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    std::memset(memory, 0xA5, whole);
    UnmapHugePages(memory, bytes);
  }
}

}  // namespace
}  // namespace tessel::base
