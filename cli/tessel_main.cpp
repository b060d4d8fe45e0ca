// The tessel command: plays the editor's part around the Tessel module, on
// image files.
#include <cstdio>
#include <exception>

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

int ShowAbout(const host::PluginModule& module) {
  host::Host host(module);
  return host.About() == 0 ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  try {
    line.app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = line.app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
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
