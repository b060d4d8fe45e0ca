#include "cli/ExitCodes.h"

#include <algorithm>

namespace tessel::cli {

int ExitCodeOf(const std::vector<pipeline::PageResult>& results) {
  auto any = [&results](pipeline::PageOutcome outcome) {
    return std::any_of(results.begin(), results.end(),
                       [outcome](const pipeline::PageResult& r) { return r.outcome == outcome; });
  };
  if (any(pipeline::PageOutcome::kCancelled)) return kExitCancelled;
  if (any(pipeline::PageOutcome::kFailed)) return kExitFailed;
  if (any(pipeline::PageOutcome::kBadInput)) return kExitBadInput;
  return kExitOk;
}

}  // namespace tessel::cli
