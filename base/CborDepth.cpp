#include "base/CborDepth.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace tessel::base {

namespace {

constexpr uint8_t kMajorByteString = 2;
constexpr uint8_t kMajorTextString = 3;
constexpr uint8_t kMajorArray = 4;
constexpr uint8_t kMajorMap = 5;
constexpr uint8_t kMajorTag = 6;
constexpr uint8_t kInfoIndefinite = 31;
constexpr uint8_t kBreak = 0xFF;
// What an open container of indefinite length still expects.
constexpr uint64_t kUntilBreak = std::numeric_limits<uint64_t>::max();

}  // namespace

bool CborNestsWithin(const std::string& bytes, size_t start, size_t limit) {
  // Items each open container still expects, innermost last. A tag counts as
  // a container of one item.
  std::vector<uint64_t> open;
  auto finishItem = [&open] {
    while (!open.empty() && open.back() != kUntilBreak) {
      if (--open.back() != 0) return;
      open.pop_back();
    }
  };
  auto openContainer = [&](uint64_t items) {
    if (items == 0) return finishItem(), true;
    open.push_back(items);
    return open.size() <= limit;
  };

  size_t at = start;
  while (at < bytes.size()) {
    const auto initial = static_cast<uint8_t>(bytes[at++]);
    if (initial == kBreak) {
      if (open.empty() || open.back() != kUntilBreak) return true;
      open.pop_back();
      finishItem();
      continue;
    }
    const uint8_t major = initial >> 5;
    const uint8_t info = initial & 0x1F;
    uint64_t argument = info;
    if (info >= 24 && info <= 27) {
      const size_t width = size_t{1} << (info - 24);
      if (bytes.size() - at < width) return true;
      argument = 0;
      for (size_t i = 0; i < width; ++i) argument = argument << 8 | static_cast<uint8_t>(bytes[at++]);
    } else if (info > 27 && info != kInfoIndefinite) {
      return true;
    }
    const bool indefinite = info == kInfoIndefinite;

    bool within = true;
    if (major == kMajorArray || major == kMajorMap) {
      // A map holds a key and a value per entry; a count too large to double
      // is cut short by the end of the bytes long before it matters.
      const uint64_t items = major == kMajorMap ? argument * 2 : argument;
      within = openContainer(indefinite ? kUntilBreak : items);
    } else if (major == kMajorTag) {
      within = openContainer(1);
    } else if ((major == kMajorByteString || major == kMajorTextString) && indefinite) {
      within = openContainer(kUntilBreak);
    } else {
      if (major == kMajorByteString || major == kMajorTextString) {
        if (bytes.size() - at < argument) return true;
        at += argument;
      }
      finishItem();
    }
    if (!within) return false;
  }
  return true;
}

}  // namespace tessel::base
