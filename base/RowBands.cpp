#include "base/RowBands.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace tessel::base {

void InRowBands(int64_t height, const std::function<void(int64_t begin, int64_t end)>& work, int64_t minRows) {
  const auto cores = static_cast<int64_t>(std::max(1u, std::thread::hardware_concurrency()));
  const int64_t bands = std::clamp<int64_t>(height / std::max<int64_t>(minRows, 1), 1, cores);
  if (bands == 1) {
    work(0, height);
    return;
  }
  std::vector<std::exception_ptr> failures(static_cast<size_t>(bands));
  std::vector<std::thread> threads;
  const auto band = [&](int64_t i) {
    try {
      work(height * i / bands, height * (i + 1) / bands);
    } catch (...) {
      failures[static_cast<size_t>(i)] = std::current_exception();
    }
  };
  for (int64_t i = 1; i < bands; ++i) {
    try {
      threads.emplace_back(band, i);
    } catch (const std::system_error&) {
      band(i);  // no thread to be had: this one does it
    }
  }
  band(0);
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace tessel::base
