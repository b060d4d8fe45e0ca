// Writes the tessel command's manual page or bash completion to standard
// output, from the same definition that parses its command line.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "host/docs/CommandLineDocs.h"

int main(int argc, char** argv) {
  const tessel::host::CommandLine line;
  if (argc == 3 && std::strcmp(argv[1], "man") == 0) {
    tessel::host::WriteManPage(line, argv[2], std::cout);
  } else if (argc == 2 && std::strcmp(argv[1], "bash-completion") == 0) {
    tessel::host::WriteBashCompletion(line, std::cout);
  } else {
    std::fprintf(stderr, "usage: tessel_docs man VERSION | tessel_docs bash-completion\n");
    return 2;
  }
  return std::cout.flush() ? 0 : 1;
}
