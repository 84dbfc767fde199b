#include <algorithm>
#include <filesystem>
#include <ostream>

#include "cli/Command.h"
#include "cli/ModuleCommands.h"

#ifndef MAILVANE_VERSION
#define MAILVANE_VERSION "unknown"
#endif

namespace mailvane::cli {
namespace {

void printUsage(std::ostream& out) {
  out << "Usage: mailvane COMMAND [OPTIONS] [ARGS...]\n"
         "Restores stored mail and news messages (.eml, .nws) into their HTML, text and\n"
         "attachment files.\n\nCommands:\n";
  size_t width = 0;
  for (const Command& c : commands()) width = std::max(width, c.name.size());
  for (const Command& c : commands())
    out << "  " << c.name << std::string(width - c.name.size() + 2, ' ') << c.summary << '\n';
  out << "\nRun 'mailvane COMMAND --help' for the options of one command.\n"
         "Without a command, mailvane starts the desktop program where it is installed.\n"
         "Given files or folders instead (mailvane PATH...), the desktop program opens\n"
         "each in its window: a .dbx file in the Dbx window; an .eml or .nws file in the\n"
         "folder window, at its folder with the message shown; a folder in the folder\n"
         "window. A path that is missing or of another kind is named in a message box.\n";
}

const Command* findCommand(std::string_view name) {
  for (const Command& c : commands())
    if (c.name == name) return &c;
  return nullptr;
}

int runCommand(const Command& c, const std::vector<std::string>& args, Streams& io) {
  return c.run ? c.run(args, io) : runModuleCommand(c.library, c.name, args, io);
}

int unknownCommand(Streams& io, std::string_view name) {
  io.err << "mailvane: unknown command '" << name << "'\n"
         << "Try 'mailvane --help'.\n";
  return kExitUsage;
}

}  // namespace

bool namesPaths(std::string_view first) {
  if (first.empty() || first.front() == '-' || first == "help" || findCommand(first)) return false;
  std::error_code ec;
  return first.find_first_of("/.") != std::string_view::npos ||
         std::filesystem::exists(std::filesystem::path(first), ec);
}

bool helpRequested(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

int usageError(Streams& io, std::string_view command, std::string_view reason) {
  io.err << "mailvane " << command << ": " << reason << '\n'
         << "Try 'mailvane " << command << " --help'.\n";
  return kExitUsage;
}

int run(const std::vector<std::string>& args, Streams& io) {
  if (args.empty()) {
    printUsage(io.err);
    return kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1)) {
    printUsage(io.out);
    return kExitOk;
  }
  if (first == "--version") {
    io.out << "mailvane " << MAILVANE_VERSION << '\n';
    return kExitOk;
  }
  if (first == "help") {
    const Command* c = findCommand(args[1]);
    return c ? runCommand(*c, {"--help"}, io) : unknownCommand(io, args[1]);
  }
  const Command* c = findCommand(first);
  if (!c) return unknownCommand(io, first);
  return runCommand(*c, std::vector<std::string>(args.begin() + 1, args.end()), io);
}

}  // namespace mailvane::cli
