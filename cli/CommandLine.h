// The tessel command's command line, declared once: the program parses with
// it, and its manual page and shell completion are written from it at build
// time, so that --help, `man tessel` and Tab always agree.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/RunCommand.h"

namespace tessel::cli {

struct HelpEntry {
  std::string term;     // an exit code, or an example's command
  std::string meaning;
};

// What --help ends with, and the manual page's sections of the same names.
struct HelpFooter {
  std::string images;                // the formats read and written
  std::vector<HelpEntry> exitCodes;  // with the rule for several pages in `exitCodeRule`
  std::string exitCodeRule;
  std::vector<HelpEntry> examples;
};
const HelpFooter& Footer();

// The parser, bound to the values it fills. Defaults that depend on the
// machine (the presets folder, the number of cores) are filled in when it is
// made; the option descriptions say how they are chosen.
class CommandLine {
 public:
  CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  CLI::App app;
  CLI::App* run = nullptr;
  CLI::App* palettes = nullptr;
  CLI::App* about = nullptr;
  RunOptions request;
};

}  // namespace tessel::cli
