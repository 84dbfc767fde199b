// `mailvane unsent`: the clean unsent copy of a stored message.
#include <ostream>
#include <system_error>

#include "cli/Command.h"
#include "cli/MessageFiles.h"
#include "engine/ExtractionWalk.h"
#include "engine/SrParser.h"

namespace mailvane::cli {
namespace {

struct UnsentArgs {
  std::string output;  // empty: standard output
  std::string message;
};

std::optional<UnsentArgs> parseUnsentArgs(const std::vector<std::string>& args,
                                          std::string& error) {
  UnsentArgs parsed;
  std::vector<std::string> operands;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" || args[i] == "--output") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = "option " + args[i] + " needs a file name";
        return std::nullopt;
      }
      parsed.output = args[++i];
    } else if (args[i] == "--") {
      operands.insert(operands.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      error = "unknown option " + args[i];
      return std::nullopt;
    } else {
      operands.push_back(args[i]);
    }
  }
  if (operands.size() != 1) {
    error = "give exactly one message file";
    return std::nullopt;
  }
  parsed.message = operands[0];
  return parsed;
}

// Save reports nothing, so the file is checked afterwards: a missing or short file must
// not pass for a written copy.
bool savedCompletely(const std::filesystem::path& path, size_t expectedSize) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return !ec && size == expectedSize;
}

}  // namespace

int unsentCommand(const std::vector<std::string>& args, Streams& io) {
  if (helpRequested(args)) {
    io.out << "Usage: mailvane unsent [-o FILE] MESSAGE\n"
              "Writes MESSAGE out again as an unsent message (X-Unsent: 1) with its body and\n"
              "parts but without the sender, recipients, subject and routing headers. The\n"
              "copy goes to FILE, or to standard output without -o.\n";
    return kExitOk;
  }
  std::string error;
  const auto parsed = parseUnsentArgs(args, error);
  if (!parsed) return usageError(io, "unsent", error);

  auto text = readMessageFile(parsed->message);
  if (!text) {
    io.err << "mailvane: " << parsed->message << ": cannot read the message\n";
    return kExitSomeFailed;
  }
  SrParser pars;
  ExtractionWalk::parse(pars, std::move(*text));
  const std::string copy = pars.Cleanheader();
  if (copy.empty()) {
    io.err << "mailvane: " << parsed->message
           << ": no unsent copy: the message boundary does not occur twice\n";
    return kExitSomeFailed;
  }
  if (parsed->output.empty()) {
    // The same bytes Save would write: the copy and a closing CR LF.
    io.out << copy << "\r\n" << std::flush;
    return io.out ? kExitOk : kExitSomeFailed;
  }
  pars.Save(parsed->output, copy);
  if (!savedCompletely(parsed->output, copy.size() + 2)) {
    io.err << "mailvane: " << parsed->output << ": cannot write the unsent copy\n";
    return kExitSomeFailed;
  }
  return kExitOk;
}

}  // namespace mailvane::cli
