// `mailvane dbx`: the messages of a .dbx message folder, listed, exported as .eml files or
// extracted like `mailvane extract` does with message files.
#include <fstream>
#include <memory>
#include <ostream>
#include <system_error>

#include "cli/Command.h"
#include "cli/ExtractOptions.h"
#include "cli/MessageBatch.h"
#include "cli/ModuleCommands.h"
#include "plugins/toolbench/DbxReader.h"
#include "system/CodePage.h"
#include "system/FileUtil.h"

namespace mailvane::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: mailvane dbx list FILE.dbx\n"
    "       mailvane dbx eml -o DIR FILE.dbx\n"
    "       mailvane dbx extract [OPTIONS] FILE.dbx\n"
    "       mailvane dbx export --maildir|--mbox DIR [--into-existing] FILE.dbx...\n"
    "Reads the messages of a .dbx message folder, in the order of its index.\n"
    "  list     prints the index, size in bytes and subject of every message\n"
    "  eml      writes every message unchanged as a .eml file into DIR; existing files\n"
    "           are never overwritten (a number is added to the name)\n"
    "  extract  writes the parts, HTML and text of every message into folders, as\n"
    "           `mailvane extract` does for message files\n"
    "  export   writes the messages of each file as one folder (named after the file) of\n"
    "           a Maildir or of mbox files, as `mailvane store export` does for a store\n"
    "           (see `mailvane store --help`)\n"
    "A message whose text is missing or broken is reported on stderr and skipped.\n"
    "\nOptions of extract:\n";

// Opens the file and reports index damage; nullptr (after an error line) when the file
// cannot be read as a message folder.
std::shared_ptr<dbx::DbxReader> openReader(const std::string& file, Streams& io) {
  auto reader = std::make_shared<dbx::DbxReader>();
  if (!reader->open(fs::path(file))) {
    io.err << "mailvane: " << file << ": " << reader->error() << '\n';
    return nullptr;
  }
  for (const std::string& problem : reader->problems()) {
    io.err << "mailvane: " << file << ": damaged index: " << problem << '\n';
  }
  return reader;
}

int statusOf(const dbx::DbxReader& reader, bool anyFailed) {
  return anyFailed || !reader.problems().empty() ? kExitSomeFailed : kExitOk;
}

int listMessages(const std::string& file, Streams& io) {
  const auto reader = openReader(file, io);
  if (!reader) return kExitSomeFailed;
  bool anyFailed = false;
  for (uint32_t i = 0; i < reader->count(); ++i) {
    const dbx::DbxMessage message = reader->measure(i);
    if (!message.complete) {
      io.err << "mailvane: " << file << ": " << message.error << '\n';
      anyFailed = true;
    }
    io.out << i << '\t' << (message.complete ? std::to_string(message.length) : "-") << '\t'
           << system::toUtf8(reader->subject(i)) << '\n';
  }
  return statusOf(*reader, anyFailed);
}

// A file name from the subject: characters no file system takes become "_", and the
// index in front keeps names apart and in order.
std::string emlName(uint32_t index, const std::string& subject) {
  constexpr size_t kMaxSubject = 60;
  std::string name = subject.substr(0, kMaxSubject);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F ||
        std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
      c = '_';
    }
  }
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  std::string number = std::to_string(index);
  number.insert(0, number.size() < 4 ? 4 - number.size() : 0, '0');
  return number + (name.empty() ? std::string() : std::string(" ") + system::toUtf8(name)) + ".eml";
}

bool writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

int exportEml(const fs::path& folder, const std::string& file, Streams& io) {
  const auto reader = openReader(file, io);
  if (!reader) return kExitSomeFailed;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) {
    io.err << "mailvane: cannot create the output folder " << folder.string() << '\n';
    return kExitSomeFailed;
  }
  bool anyFailed = false;
  for (uint32_t i = 0; i < reader->count(); ++i) {
    const dbx::DbxMessage message = reader->message(i);
    const fs::path target = system::FreeFileName(folder / emlName(i, reader->subject(i)));
    if (!message.complete || target.empty() || !writeFile(target, message.text)) {
      io.err << "mailvane: " << file << ": "
             << (message.complete ? "cannot write " + target.string() : message.error) << '\n';
      anyFailed = true;
    }
  }
  return statusOf(*reader, anyFailed);
}

std::vector<MessageInput> messageInputs(const std::string& file,
                                        const std::shared_ptr<dbx::DbxReader>& reader,
                                        Streams& io) {
  std::vector<MessageInput> inputs;
  for (uint32_t i = 0; i < reader->count(); ++i) {
    const std::string label = file + " #" + std::to_string(i);
    inputs.push_back({label, [reader, i, label, &io]() -> std::optional<SharedText> {
                        dbx::DbxMessage message = reader->message(i);
                        if (message.complete) return std::move(message.text);
                        io.err << "mailvane: " << label << ": " << message.error << '\n';
                        return std::nullopt;
                      }});
  }
  return inputs;
}

int extractMessages(const std::vector<std::string>& args, Streams& io) {
  std::string error;
  const auto parsed = parseExtractArgs(args, error);
  if (!parsed) return usageError(io, "dbx extract", error);
  if (parsed->operands.size() != 1) return usageError(io, "dbx extract", "give one .dbx file");
  const std::string& file = parsed->operands.front();
  const auto reader = openReader(file, io);
  if (!reader) return kExitSomeFailed;
  const int status = extractBatch(messageInputs(file, reader, io), parsed->options, io);
  return reader->problems().empty() ? status : kExitSomeFailed;
}

int emlCommand(const std::vector<std::string>& args, Streams& io) {
  fs::path folder;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      folder = args[++i];
    } else {
      files.push_back(args[i]);
    }
  }
  if (folder.empty()) return usageError(io, "dbx eml", "no output folder given (-o DIR)");
  if (files.size() != 1) return usageError(io, "dbx eml", "give one .dbx file");
  return exportEml(folder, files.front(), io);
}

}  // namespace

int dbxCommand(const std::vector<std::string>& args, Streams& io) {
  if (args.empty()) return usageError(io, "dbx", "no action given (list, eml, extract or export)");
  if (helpRequested(args)) {
    io.out << kUsage << kExtractOptionsHelp;
    return kExitOk;
  }
  const std::string& action = args.front();
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (action == "list") {
    if (rest.size() != 1) return usageError(io, "dbx list", "give one .dbx file");
    return listMessages(rest.front(), io);
  }
  if (action == "eml") return emlCommand(rest, io);
  if (action == "extract") return extractMessages(rest, io);
  // It needs the store's libraries, which only the runs that use them load.
  if (action == "export") {
    return runModuleCommand(kStoreCommandLibrary, "dbx export", rest, io, kDbxExportEntry);
  }
  return usageError(io, "dbx", "unknown action \"" + action + "\" (list, eml, extract or export)");
}

}  // namespace mailvane::cli
