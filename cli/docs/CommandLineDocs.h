// The manual page and the bash completion of the tessel command, written from
// its command line at build time.
#pragma once

#include <ostream>
#include <string>

#include "cli/CommandLine.h"

namespace tessel::cli {

// tessel(1) in man(7) markup, for the given version.
void WriteManPage(const CommandLine& line, const std::string& version, std::ostream& out);

// A bash completion script: subcommands, each one's options, file and folder
// names where those are wanted, and the swatch files for --palette.
void WriteBashCompletion(const CommandLine& line, std::ostream& out);

}  // namespace tessel::cli
