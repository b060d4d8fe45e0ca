// The tessel command: plays the editor's part around the Tessel module.
#include <cstdio>
#include <exception>

#include "host/Host.h"
#include "host/PluginModule.h"

namespace {

const char* SelectorName(int16_t selector) {
  static const char* const kNames[] = {"about", "parameters", "prepare", "start", "continue", "finish"};
  return selector >= 0 && selector <= 5 ? kNames[selector] : "unknown";
}

}  // namespace

int main() {
  try {
    tessel::host::PluginModule module(tessel::host::DefaultModulePath());
    tessel::host::Host host(module);
    host.About();
    host.Run(true);
    std::printf("Tessel module: %s\n", module.path().c_str());
    for (const auto& call : host.calls())
      std::printf("  %-10s -> result %d, data slot %s\n", SelectorName(call.selector), call.result,
                  call.slotAfter ? "holds the filter" : "empty");
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tessel: %s\n", e.what());
    return 1;
  }
}
