// Memory for a page's worth of data (pixels, runs, spans), in huge pages
// where the kernel gives them: on the machines measured, faulting in fresh
// memory cost about three times as much in 4 KiB pages as in 2 MiB ones, more
// than filling it.
#pragma once

#include <cstddef>
#include <new>

namespace tessel::base {

constexpr size_t kHugePageBytes = size_t{2} << 20;

// Zeroed memory for `bytes`, aligned to a huge page and taken in whole ones;
// null when it cannot be had.
void* MapHugePages(size_t bytes);
// Gives back what MapHugePages(bytes) handed out.
void UnmapHugePages(void* memory, size_t bytes);

// Records in huge pages; small blocks come from the ordinary heap.
template <typename T>
struct HugePageAllocator {
  using value_type = T;

  HugePageAllocator() = default;
  template <typename U>
  HugePageAllocator(const HugePageAllocator<U>&) {}

  T* allocate(size_t count) {
    const size_t bytes = count * sizeof(T);
    if (bytes < kHugePageBytes) return static_cast<T*>(::operator new(bytes));
    void* memory = MapHugePages(bytes);
    if (!memory) throw std::bad_alloc();
    return static_cast<T*>(memory);
  }

  void deallocate(T* memory, size_t count) {
    const size_t bytes = count * sizeof(T);
    if (bytes < kHugePageBytes) ::operator delete(memory);
    else UnmapHugePages(memory, bytes);
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
