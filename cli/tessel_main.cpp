// The tessel command: plays the editor's part around the Tessel module, on
// image files.
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "base/TypedParams.h"
#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/RunCommand.h"
#include "host/Host.h"
#include "host/Presets.h"

namespace {

using namespace tessel::cli;
namespace host = tessel::host;

int ListPalettes(const std::string& presets) {
  const auto names = host::ListSwatchFiles(presets);
  if (names.empty()) {
    std::fprintf(stderr, "tessel: no swatch files (.aco) in %s\n", host::SwatchFolder(presets).c_str());
    return kExitOk;
  }
  for (const std::string& name : names) std::printf("%s\n", name.c_str());
  return kExitOk;
}

// The --flag=value arguments of `command` whose value is neither a number
// nor a word the command line reads as on or off.
std::string UnreadFlagValues(const CLI::App& command, int argc, char** argv) {
  std::string named;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const size_t equals = argument.find('=');
    if (argument.rfind("--", 0) != 0 || equals == std::string::npos) continue;
    const CLI::Option* option = command.get_option_no_throw(argument.substr(0, equals));
    if (option && option->get_expected_max() == 0 && !tessel::base::FlagCount(argument.substr(equals + 1)))
      named += (named.empty() ? "" : ", ") + argument;
  }
  return named;
}

int ShowAbout(const host::PluginModule& module) {
  host::Host host(module);
  return host.About() == 0 ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  bool unreadable = false;
  try {
    line.app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = line.app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  } catch (const std::logic_error&) {
    // CLI11 2.3 lets a flag's value that is neither a number nor a word it
    // knows (--join=maybe) escape as the number reader's own exception.
    unreadable = true;
  }
  // CLI11 2.4 (Debian 13) takes such a value without a word.
  const std::string unread = UnreadFlagValues(*line.run, argc, argv);
  if (unreadable || !unread.empty()) {
    const std::string problem = unread + ": a flag's value is a number or one of true/false, yes/no, on/off";
    std::fprintf(stderr, "tessel: %s\nRun with --help for more information.\n", problem.c_str());
    return kExitUsage;
  }

  try {
    if (line.palettes->parsed()) return ListPalettes(line.request.presetsFolder);
    host::PluginModule module(host::FindModulePath());
    if (line.about->parsed()) return ShowAbout(module);
    return RunCommand(module, line.request);
  } catch (const CommandError& e) {
    std::fprintf(stderr, "tessel: %s\n", e.what());
    return e.code();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tessel: %s\n", e.what());
    return kExitFailed;
  }
}
