// Memory for a page's worth of records (runs, spans), in huge pages where
// the kernel gives them: on the machines measured, faulting in fresh memory
// cost about three times as much in 4 KiB pages as in 2 MiB ones, more than
// filling it. Small blocks come from the ordinary heap.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace tessel::base {

template <typename T>
struct HugePageAllocator {
  using value_type = T;
  static constexpr size_t kHugePage = size_t{2} << 20;

  HugePageAllocator() = default;
  template <typename U>
  HugePageAllocator(const HugePageAllocator<U>&) {}

  T* allocate(size_t count) {
    const size_t bytes = count * sizeof(T);
    if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes));
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = std::aligned_alloc(kHugePage, rounded);
    if (!memory) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(memory, rounded, MADV_HUGEPAGE);  // a hint: no harm when refused
#endif
    return static_cast<T*>(memory);
  }

  void deallocate(T* memory, size_t count) {
    if (count * sizeof(T) < kHugePage) ::operator delete(memory);
    else std::free(memory);
  }
};

template <typename T, typename U>
bool operator==(const HugePageAllocator<T>&, const HugePageAllocator<U>&) {
  return true;
}
template <typename T, typename U>
bool operator!=(const HugePageAllocator<T>&, const HugePageAllocator<U>&) {
  return false;
}

}  // namespace tessel::base
