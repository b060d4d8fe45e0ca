// Seconds between steps, for --timings.
#pragma once

#include <chrono>

namespace tessel::host {

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace tessel::host
