#include "base/HugePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace tessel::base {

namespace {

size_t Whole(size_t bytes) { return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes; }

}  // namespace

void* MapHugePages(size_t bytes) {
  // One huge page more than the memory leaves room to align it; what lies
  // around the aligned pages is given back at once, so that they alone are
  // left to unmap.
  const size_t whole = Whole(bytes), mapped = whole + kHugePageBytes;
  void* mapping = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  auto* start = static_cast<uint8_t*>(mapping);
  auto* memory = reinterpret_cast<uint8_t*>(Whole(reinterpret_cast<uintptr_t>(start)));
  const auto before = static_cast<size_t>(memory - start), after = mapped - before - whole;
  if (before > 0) munmap(start, before);
  if (after > 0) munmap(memory + whole, after);
#ifdef MADV_HUGEPAGE
  madvise(memory, whole, MADV_HUGEPAGE);  // a hint: no harm when refused
#endif
  return memory;
}

void UnmapHugePages(void* memory, size_t bytes) { munmap(memory, Whole(bytes)); }

}  // namespace tessel::base
