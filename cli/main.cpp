// `mailvane`: with no sub-command (or with paths to open) the desktop program, otherwise
// the command line.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/DesktopEntry.h"

int main(int argc, char** argv) {
  if ((argc < 2 || mailvane::cli::namesPaths(argv[1])) && mailvane::desktopAvailable())
    return mailvane::startDesktop(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  mailvane::cli::Streams io{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
  return mailvane::cli::run(args, io);
}
