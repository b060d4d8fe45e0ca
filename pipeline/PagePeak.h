// The most memory a page's run takes, worked out before it starts from the
// page's header, its files' formats and the run's settings, so that a batch
// can start the page only where all of it will fit.
#pragma once

#include <cstdint>
#include <string>

#include "io/PageFile.h"
#include "pipeline/PageRun.h"

namespace tessel::pipeline {

// Bytes, as the largest resident set of a `tessel run` of the page alone,
// from `input` into `output` with `settings`; at or above it on every page
// measured (see PagePeak.cpp).
int64_t PeakBytes(const io::ImageHeader& header, const std::string& input, const std::string& output,
                  const RunSettings& settings);

}  // namespace tessel::pipeline
