// The filter's parameters as command-line options, one for each declared
// parameter (interface/ParamDeclarations.h). Each option given becomes one item
// of the scripting descriptor that the run replays, exactly as an action
// would carry it; the filter's defaults stand for every option left out.
#pragma once

#include <CLI/CLI.hpp>

#include "base/TypedParams.h"
#include "interface/ParamDeclarations.h"

namespace tessel::cli {

// Adds the options to `app` (in a group of their own), each putting its item
// into `values`; bad values are refused by the parser with a message naming
// the option.
void RegisterParamOptions(CLI::App& app, base::ParamValues& values);

// A size given to `option`, which takes `low` to `high` pixels (see
// base::ReadSize); a bad one is refused as the parser refuses bad values.
base::TypedSize SizeOf(const std::string& option, const std::string& text, int64_t low, int64_t high);

// An option's help: the declared text and, unless declared otherwise, its
// default as the option would be given ("(default white)").
std::string ParamOptionHelp(const parameter::Declaration& declared);

// The options as the README lists them: one Markdown item per parameter,
// "- `--name VALUE`: help", in the declarations' order.
std::string ParamOptionsList();

}  // namespace tessel::cli
