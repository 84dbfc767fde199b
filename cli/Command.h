#pragma once
// A sub-command of the `mailvane` command line. Commands are plain functions over
// injectable streams so tests run them in-process.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace mailvane::cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;        // every input handled
inline constexpr int kExitSomeFailed = 1;  // some input failed, the rest were handled
inline constexpr int kExitUsage = 2;     // bad command line

struct Streams {
  std::ostream& out;
  std::ostream& err;
  bool errIsTerminal = false;  // progress is drawn on err only when it is a terminal
};

using CommandFn = int (*)(const std::vector<std::string>& args, Streams& io);

struct Command {
  std::string_view name;
  std::string_view summary;  // one line for `mailvane --help`
  CommandFn run;              // nullptr for a command in a library of its own
  std::string_view library = {};  // that library's file, beside the program
};

// Every sub-command, in the order `--help` lists them.
const std::vector<Command>& commands();

// True when `mailvane FIRST ...` names files or folders for the desktop program rather
// than a command: FIRST is no command or option and is a path that exists or looks like
// one (it holds a "/" or a "."), so a mistyped command is still reported as one.
bool namesPaths(std::string_view first);

// Runs `mailvane ARGS...` (ARGS without the program name).
int run(const std::vector<std::string>& args, Streams& io);

// True when args ask for help (-h or --help before any "--"); `mailvane help CMD` runs
// CMD with {"--help"}, so every command prints its own usage on io.out.
bool helpRequested(const std::vector<std::string>& args);

// Prints "mailvane CMD: reason" and a hint on io.err; returns kExitUsage.
int usageError(Streams& io, std::string_view command, std::string_view reason);

}  // namespace mailvane::cli
