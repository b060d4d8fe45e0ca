#include "cli/Interrupt.h"

#include <csignal>

#include "io/PendingOutput.h"

namespace tessel::cli {

namespace {

volatile std::sig_atomic_t sInterrupted = 0;

void OnInterrupt(int signal) {
  if (sInterrupted) {
    // Ending at once leaves no destructor to remove the outputs half written.
    io::RemovePendingOutputs();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  sInterrupted = 1;
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return sInterrupted != 0; }

}  // namespace tessel::cli
