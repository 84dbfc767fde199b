#include "cli/ExportCommand.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include "cli/ProgressLine.h"
#include "cli/TerminalText.h"

namespace mailvane::cli {

namespace {

// The progress line is redrawn this often: drawing for every small message would cost
// more than writing it.
constexpr uint64_t kProgressEvery = 64;

// Characters on screen of UTF-8 text (each code point one column).
size_t columns(std::string_view text) {
  return size_t(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string padded(const std::string& text, size_t width) {
  return text + std::string(width > columns(text) ? width - columns(text) : 0, ' ');
}

std::string rightAligned(const std::string& text, size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

void printTable(const store::ExportReport& report, Streams& io) {
  const std::string storeTitle = "store folder", outputTitle = "output";
  size_t storeWidth = columns(storeTitle), outputWidth = columns(outputTitle);
  for (const auto& folder : report.folders) {
    storeWidth = std::max(storeWidth, columns(printable(folder.storePath)));
    outputWidth = std::max(outputWidth, columns(printable(folder.outputPath)));
  }
  io.out << padded(storeTitle, storeWidth) << "  " << padded(outputTitle, outputWidth)
         << "  written  present  failed\n";
  for (const auto& folder : report.folders) {
    const std::string failed = std::to_string(folder.failed) + (folder.complete ? "" : "!");
    io.out << padded(printable(folder.storePath), storeWidth) << "  "
           << padded(printable(folder.outputPath), outputWidth) << "  "
           << rightAligned(std::to_string(folder.written), 7) << "  "
           << rightAligned(std::to_string(folder.alreadyThere), 7) << "  "
           << rightAligned(failed, 6) << '\n';
  }
}

}  // namespace

const char* const kExportOptionsHelp =
    "Options of export:\n"
    "  --maildir DIR    write a Maildir: DIR is its top, each store folder a Maildir++\n"
    "                   folder (\".Local Folders.Inbox\"), each message a file in cur/,\n"
    "                   byte for byte, dated by its Date header, flagged seen (S) when the\n"
    "                   store marks it read\n"
    "  --mbox DIR       write one mbox file (mboxrd) per store folder below DIR, a\n"
    "                   folder's children in \"NAME.sbd/\" beside it; a message whose\n"
    "                   last line has no line end gets one, as mbox needs\n"
    "  --into-existing  add to an earlier export: only messages not there yet are written\n"
    "Without --into-existing an export stops before writing anything when a folder it\n"
    "would write exists already; existing files are never replaced. Folder names are\n"
    "escaped where the format cannot hold them, repeats numbered (\" (2)\"). A table closes\n"
    "the run: each store folder, its output, and its messages written, present (there\n"
    "from an earlier export) and failed (\"!\": the folder itself failed). A message that\n"
    "cannot be read whole is reported on stderr by folder and number, and the rest are\n"
    "exported (exit status 1).\n";

std::optional<ExportArgs> parseExportArgs(const std::vector<std::string>& args,
                                          std::string& error) {
  ExportArgs parsed;
  bool formatGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--maildir" || arg == "--mbox") {
      if (formatGiven) {
        error = "give one of --maildir and --mbox";
        return std::nullopt;
      }
      if (i + 1 == args.size() || args[i + 1].empty()) {
        error = arg + " needs a folder";
        return std::nullopt;
      }
      formatGiven = true;
      parsed.options.format =
          arg == "--maildir" ? store::ExportFormat::Maildir : store::ExportFormat::Mbox;
      parsed.options.output = args[++i];
    } else if (arg == "--into-existing") {
      parsed.options.intoExisting = true;
    } else if (arg.starts_with("--")) {
      error = "unknown option " + arg;
      return std::nullopt;
    } else {
      parsed.operands.push_back(arg);
    }
  }
  if (!formatGiven) {
    error = "give --maildir DIR or --mbox DIR";
    return std::nullopt;
  }
  return parsed;
}

int runExport(std::vector<store::StoreFolder> folders, const store::ExportOptions& options,
              std::string_view command, Streams& io) {
  std::unique_ptr<ProgressLine> progress;
  store::ExportCallbacks callbacks;
  callbacks.progress = [&](uint64_t done, uint64_t total, std::string_view folder) {
    if (!io.errIsTerminal || (done % kProgressEvery != 0 && done != total)) return;
    if (!progress) progress = std::make_unique<ProgressLine>(io, total);
    progress->show(done, printable(std::string(folder)));
  };
  callbacks.problem = [&](const std::string& problem) {
    if (progress) progress->clear();
    io.err << "mailvane: " << command << ": " << printable(problem) << '\n';
  };
  const store::ExportReport report = store::exportFolders(std::move(folders), options, callbacks);
  progress.reset();
  if (!report.started) {
    io.err << "mailvane: " << command << ": " << printable(report.error) << '\n';
    return kExitSomeFailed;
  }
  printTable(report, io);
  return report.anyFailed() ? kExitSomeFailed : kExitOk;
}

}  // namespace mailvane::cli
