// What the documents need to know of an option, as its parser declares it.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace tessel::cli {

// "-o", "--output": every name it answers to (--no-x too), short ones first.
std::vector<std::string> OptionNames(const CLI::Option& option);

// The value's placeholder without the checks CLI11 appends ("INT" of
// "INT:INT in [1 - 64]"); empty for a flag.
std::string ValueName(const CLI::Option& option);

// Options of `app` with a name, in the order declared (help excluded).
std::vector<const CLI::Option*> NamedOptions(const CLI::App& app);

// The subcommands in the order declared.
std::vector<const CLI::App*> Subcommands(const CLI::App& app);

}  // namespace tessel::cli
