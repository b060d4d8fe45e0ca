// Seconds between steps, for --timings.
#pragma once

#include <chrono>

namespace tessel::base {

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace tessel::base
