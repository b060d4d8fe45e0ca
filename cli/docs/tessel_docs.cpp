// Writes the tessel command's manual page, its bash completion or the README's
// list of filter options to standard output, from the same definitions that
// parse its command line.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/ParamOptions.h"
#include "cli/docs/CommandLineDocs.h"

int main(int argc, char** argv) {
  const tessel::cli::CommandLine line;
  if (argc == 3 && std::strcmp(argv[1], "man") == 0) {
    tessel::cli::WriteManPage(line, argv[2], std::cout);
  } else if (argc == 2 && std::strcmp(argv[1], "bash-completion") == 0) {
    tessel::cli::WriteBashCompletion(line, std::cout);
  } else if (argc == 2 && std::strcmp(argv[1], "readme-options") == 0) {
    std::cout << tessel::cli::ParamOptionsList();
  } else {
    std::fprintf(stderr, "usage: tessel_docs man VERSION | tessel_docs bash-completion | tessel_docs readme-options\n");
    return 2;
  }
  return std::cout.flush() ? 0 : 1;
}
