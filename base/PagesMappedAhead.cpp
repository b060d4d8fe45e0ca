#include "base/PagesMappedAhead.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

namespace tessel::base {

namespace {

// In steps, so that the writer following close behind finds its pages mapped.
constexpr size_t kStepBytes = size_t{16} << 20;

void MapIn(uint8_t* data, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + page - 1) / page * page;
  const uintptr_t end = reinterpret_cast<uintptr_t>(data) + bytes;
  for (uintptr_t at = start; at < end; at += kStepBytes) {
    const uintptr_t length = std::min<uintptr_t>(kStepBytes, (end - at + page - 1) / page * page);
    // Mapped as if written, without a byte changed: no write of the filler's is undone.
    if (madvise(reinterpret_cast<void*>(at), length, MADV_POPULATE_WRITE) != 0) return;
  }
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace

PagesMappedAhead::PagesMappedAhead(uint8_t* data, size_t bytes) : mThread(MapIn, data, bytes) {}

PagesMappedAhead::~PagesMappedAhead() { mThread.join(); }

}  // namespace tessel::base
