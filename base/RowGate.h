// Rows of a page handed from the thread that finishes them to one that reads
// them: a reader waits until the rows it wants are final, or the page is
// given up.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tessel::base {

class RowGate {
 public:
  // Rows above `rows` are final and will not change again. Fewer than
  // already released changes nothing.
  void Release(int64_t rows);
  // The rows not yet released never will be: every wait ends, false.
  void GiveUp();
  // Blocks until the rows above `rows` are final (true) or the page is
  // given up (false).
  bool AwaitRows(int64_t rows);
  // Whether AwaitRows(rows) would return at once.
  bool Ready(int64_t rows);

 private:
  std::mutex mMutex;
  std::condition_variable mChanged;
  int64_t mReleased = 0;
  bool mGivenUp = false;
};

}  // namespace tessel::base
