// `mailvane extract`: what the message windows' "Extract" does, for files and folders.
#include <ostream>

#include "cli/Command.h"
#include "cli/ExtractOptions.h"
#include "cli/MessageBatch.h"
#include "cli/MessageFiles.h"

namespace mailvane::cli {

int extractCommand(const std::vector<std::string>& args, Streams& io) {
  if (helpRequested(args)) {
    io.out << "Usage: mailvane extract [OPTIONS] PATH...\n"
              "Writes each message into a folder named after its subject: its parts, its\n"
              "HTML and its plain text. PATH is a message file or a folder, whose .eml and\n"
              ".nws files are taken in name order. Messages of one run that share a\n"
              "subject get folders of their own (Hi, Hi1, Hi2).\n\nOptions:\n"
           << kExtractOptionsHelp
           << "\nExit status: 0 when every message was extracted, 1 when some failed,\n"
              "2 on a usage error.\n";
    return kExitOk;
  }
  std::string error;
  const auto parsed = parseExtractArgs(args, error);
  if (!parsed) return usageError(io, "extract", error);
  if (parsed->operands.empty()) return usageError(io, "extract", "no message file or folder given");

  std::vector<std::string> problems;
  const auto inputs = collectMessageInputs(parsed->operands, problems);
  for (const std::string& problem : problems) io.err << "mailvane: " << problem << '\n';
  const int status = extractBatch(inputs, parsed->options, io);
  return problems.empty() ? status : kExitSomeFailed;
}

}  // namespace mailvane::cli
