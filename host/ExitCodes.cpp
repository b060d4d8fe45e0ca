#include "host/ExitCodes.h"

#include <algorithm>

namespace tessel::host {

int ExitCodeOf(const std::vector<PageResult>& results) {
  auto any = [&results](PageOutcome outcome) {
    return std::any_of(results.begin(), results.end(), [outcome](const PageResult& r) { return r.outcome == outcome; });
  };
  if (any(PageOutcome::kCancelled)) return kExitCancelled;
  if (any(PageOutcome::kFailed)) return kExitFailed;
  if (any(PageOutcome::kBadInput)) return kExitBadInput;
  return kExitOk;
}

}  // namespace tessel::host
