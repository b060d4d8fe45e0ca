// Ctrl-C while pages are filled: the first asks the filter to stop (through
// the editor's abort check) and no further page is started; a second ends
// the program at once, removing the outputs it had begun.
#pragma once

namespace tessel::cli {

// Installs the SIGINT handler; worker processes forked later inherit it.
void InstallInterruptHandler();
bool InterruptRequested();

}  // namespace tessel::cli
