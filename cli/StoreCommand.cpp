// `mailvane store`: the folders of a mail client's message store, and the messages of one
// folder with their subjects and part names, so a store can be looked into from a terminal;
// and the whole store exported as a Maildir or mbox files for today's mail clients.
#include <ostream>
#include <string>

#include "cli/Command.h"
#include "cli/ExportCommand.h"
#include "cli/ModuleCommands.h"
#include "cli/StoredSetting.h"
#include "cli/TerminalText.h"
#include "store/MessageStore.h"
#include "store/StoreLocation.h"

namespace mailvane::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: mailvane store [--root DIR] folders\n"
    "       mailvane store [--root DIR] list FOLDER-ID\n"
    "       mailvane store [--root DIR] export --maildir|--mbox DIR [--into-existing]\n"
    "Looks into a mail client's message store: an Outlook Express store folder (.dbx\n"
    "files) or a Windows Mail / Windows Live Mail store folder (.eml and .nws files).\n"
    "  folders  prints the identifier, message count and name of every folder, each\n"
    "           folder indented below its parent\n"
    "  list     prints the identifier, subject and part names of every message of a folder\n"
    "  export   writes every folder and message of the store as a Maildir or as mbox\n"
    "           files, keeping the folder tree (options below)\n"
    "Without --root the store is $MAILVANE_STORE, else the \"Store\" setting of the\n"
    "desktop program, else the one the registry names (Outlook Express, then Windows\n"
    "Live Mail, then Windows Mail).\n"
    "A message that cannot be read is reported on stderr and skipped.\n"
    "\n";

int listFolders(store::MessageStore& messageStore, Streams& io) {
  for (auto folder = messageStore.firstFolder(); folder; folder = messageStore.nextFolder()) {
    io.out << folder->id() << '\t' << folder->messageCount() << '\t'
           << std::string(size_t(folder->depth()) * 2, ' ') << printable(folder->name()) << '\n';
  }
  return kExitOk;
}

std::string partNames(store::StoreMessage& message) {
  std::string names;
  for (auto part = message.firstPart(); part != 0; part = message.nextPart()) {
    std::string name = message.partFileName(part);
    if (name.empty()) name = message.partDisplayName(part);
    if (!names.empty()) names += ", ";
    names += name.empty() ? "(unnamed)" : printable(name);
  }
  return names;
}

int listMessages(store::MessageStore& messageStore, const std::string& folderId, Streams& io) {
  int id = 0;
  try {
    size_t used = 0;
    id = std::stoi(folderId, &used);
    if (used != folderId.size()) return usageError(io, "store list", "FOLDER-ID must be a number");
  } catch (const std::exception&) {
    return usageError(io, "store list", "FOLDER-ID must be a number");
  }
  auto folder = messageStore.folderById(id);
  if (!folder) {
    io.err << "mailvane: store: there is no folder " << folderId << '\n';
    return kExitSomeFailed;
  }
  // A messages file that cannot be read, or whose index is damaged, hides messages: that
  // is a failure, not an empty folder.
  bool anyFailed = false;
  for (const std::string& damage : folder->damage()) {
    io.err << "mailvane: store: folder " << folderId << ": " << printable(damage) << '\n';
    anyFailed = true;
  }
  for (auto message = folder->firstMessage(); message; message = folder->nextMessage()) {
    if (message->source().empty()) {
      io.err << "mailvane: store: message " << message->id() << " of folder " << folderId
             << " cannot be read\n";
      anyFailed = true;
      continue;
    }
    io.out << message->id() << '\t' << printable(message->subject()) << '\t'
           << partNames(*message) << '\n';
  }
  return anyFailed ? kExitSomeFailed : kExitOk;
}

int exportStore(store::MessageStore& messageStore, const fs::path& root,
                store::ExportOptions options, Streams& io) {
  std::vector<store::StoreFolder> folders;
  for (auto folder = messageStore.firstFolder(); folder; folder = messageStore.nextFolder()) {
    folders.push_back(std::move(*folder));
  }
  if (folders.empty()) {
    io.err << "mailvane: store export: " << root.string()
           << " holds no mail folders; nothing was exported\n";
    return kExitSomeFailed;
  }
  options.storeRoot = root;
  return runExport(std::move(folders), options, "store export", io);
}

}  // namespace

int storeCommand(const std::vector<std::string>& args, Streams& io) {
  if (helpRequested(args)) {
    io.out << kUsage << kExportOptionsHelp;
    return kExitOk;
  }
  fs::path root;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--root") {
      if (i + 1 == args.size()) return usageError(io, "store", "--root needs a folder");
      root = args[++i];
    } else {
      rest.push_back(args[i]);
    }
  }
  const bool folders = rest.size() == 1 && rest[0] == "folders";
  const bool list = rest.size() == 2 && rest[0] == "list";
  const bool exporting = !rest.empty() && rest[0] == "export";
  std::optional<ExportArgs> exportArgs;
  if (exporting) {
    std::string error;
    exportArgs = parseExportArgs({rest.begin() + 1, rest.end()}, error);
    if (!exportArgs) return usageError(io, "store export", error);
    if (!exportArgs->operands.empty()) {
      return usageError(io, "store export", "unexpected \"" + exportArgs->operands[0] + "\"");
    }
  } else if (!folders && !list) {
    return usageError(io, "store", "give `folders`, `list FOLDER-ID` or `export`");
  }
  if (root.empty()) {
    std::string setting;
    std::string error;
    if (!readStoredSetting(store::kStoreSetting, setting, error))
      io.err << "mailvane: store: " << error << "; the \"Store\" setting is left out\n";
    root = store::findStore(setting).root;
    if (root.empty()) {
      io.err << "mailvane: store: no message store found; give one with --root DIR\n";
      return kExitSomeFailed;
    }
  }
  store::MessageStore messageStore = store::MessageStore::open(root);
  if (messageStore.kind() == store::StoreKind::None) {
    io.err << "mailvane: store: " << root.string() << " is not a folder\n";
    return kExitSomeFailed;
  }
  if (exporting) return exportStore(messageStore, root, exportArgs->options, io);
  return folders ? listFolders(messageStore, io) : listMessages(messageStore, rest[1], io);
}

}  // namespace mailvane::cli
