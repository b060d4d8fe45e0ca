// Work on a page's rows shared among the machine's cores: each band of rows
// goes to a thread of its own, for loops whose rows are independent.
#pragma once

#include <cstdint>
#include <functional>

namespace tessel::base {

// Calls `work(begin, end)` for bands of rows covering [0, height), at most
// one per core and none under `minRows` rows, and returns once all are done.
// An exception thrown in a band is rethrown here after the others finish.
void InRowBands(int64_t height, const std::function<void(int64_t begin, int64_t end)>& work, int64_t minRows = 256);

// The `minRows` for a list of small items (a page's regions or their
// colours) shared the same way: fewer a band are not worth a thread.
inline constexpr int64_t kFewestItemsABand = 8192;

}  // namespace tessel::base
