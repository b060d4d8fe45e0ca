// A fresh buffer's memory mapped in by a second thread while the first fills
// it: each first write to a page otherwise stops the writer while the kernel
// finds and clears that page (for a 67 MP page, about a quarter of reading
// it). Only a hint: where the kernel cannot map ahead, nothing changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>

namespace tessel::base {

class PagesMappedAhead {
 public:
  // Starts mapping `bytes` at `data`, from the start, as the writer will.
  PagesMappedAhead(uint8_t* data, size_t bytes);
  // Waits for the mapping to end.
  ~PagesMappedAhead();
  PagesMappedAhead(const PagesMappedAhead&) = delete;
  PagesMappedAhead& operator=(const PagesMappedAhead&) = delete;

 private:
  std::thread mThread;
};

}  // namespace tessel::base
