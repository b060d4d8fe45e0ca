// The options of a tessel_flat call, read as `tessel run` reads the same
// words (pipeline/PageOptions.h, interface/ParamDeclarations.h): "--name
// value" or "--name=value"; a flag alone, or with a yes or no after "=";
// the filter's on/off flags also as --no-name. The library carries no
// command-line parser of its own, so it reads them here.
#pragma once

#include <stdexcept>
#include <string>

#include "pipeline/PageOptions.h"

namespace tessel::capi {

// An option refused, with words that name it.
class OptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The `count` options, over the presets folder `presets`. Throws OptionError
// for an option that is null, unknown, repeated (flags aside), or lacks its
// value or has a bad one.
pipeline::PageOptions ReadOptions(const char* const* options, int count, const std::string& presets);

}  // namespace tessel::capi
