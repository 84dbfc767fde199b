#include "cli/Command.h"
#include "cli/ModuleEntries.h"

#include <ostream>

namespace mailvane::cli {

// Each command lives in its own file; add one line here to list it. Commands that need
// large libraries name their own library instead of a function (see ModuleEntries.h).
int extractCommand(const std::vector<std::string>& args, Streams& io);
int dbxCommand(const std::vector<std::string>& args, Streams& io);
int showCommand(const std::vector<std::string>& args, Streams& io);
int unsentCommand(const std::vector<std::string>& args, Streams& io);

const std::vector<Command>& commands() {
  static const std::vector<Command> all = {
      {"extract", "write the parts, HTML and text of messages into folders", extractCommand},
      {"dbx", "list, export or extract the messages of a .dbx message folder", dbxCommand},
      {"show", "print the header fields, parts and online links of a message", showCommand},
      {"unsent", "write a message out again as a clean unsent copy", unsentCommand},
      {"index", "keep an index of message subjects current, and search it", nullptr,
       kIndexCommandLibrary},
      {"store", "list or export the folders and messages of a mail client's message store", nullptr,
       kStoreCommandLibrary},
  };
  return all;
}

}  // namespace mailvane::cli
