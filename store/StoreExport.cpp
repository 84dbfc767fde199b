#include "store/StoreExport.h"

#include <sys/stat.h>

#include <memory>
#include <system_error>
#include <unordered_map>

#include "store/HeaderScan.h"
#include "store/MaildirWriter.h"
#include "store/MboxWriter.h"
#include "store/MessageEnvelope.h"

namespace mailvane::store {

namespace {

namespace fs = std::filesystem;

std::unique_ptr<ExportWriter> writerFor(const ExportOptions& options) {
  if (options.format == ExportFormat::Maildir)
    return std::make_unique<MaildirWriter>(options.output);
  return std::make_unique<MboxWriter>(options.output);
}

bool isInside(const fs::path& path, const fs::path& folder) {
  std::error_code ec;
  const fs::path inner = fs::weakly_canonical(fs::absolute(path, ec), ec);
  const fs::path outer = fs::weakly_canonical(fs::absolute(folder, ec), ec);
  if (ec || outer.empty()) return false;
  auto it = inner.begin();
  for (const auto& part : outer) {
    if (part.empty()) continue;  // a trailing separator
    if (it == inner.end() || *it != part) return false;
    ++it;
  }
  return true;
}

bool standsAt(const fs::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Each folder's names from the top, joined by "/".
std::vector<std::string> storePaths(const std::vector<StoreFolder>& folders) {
  std::unordered_map<FolderId, size_t> byId;
  std::vector<std::string> paths;
  for (const StoreFolder& folder : folders) {
    const auto parent = folder.parentId() == 0 ? byId.end() : byId.find(folder.parentId());
    paths.push_back(parent == byId.end() ? folder.name()
                                         : paths[parent->second] + "/" + folder.name());
    byId.emplace(folder.id(), paths.size() - 1);
  }
  return paths;
}

class Run {
 public:
  Run(const ExportOptions& options, const ExportCallbacks& callbacks)
      : options_(options), callbacks_(callbacks), writer_(writerFor(options)) {}

  ExportReport go(std::vector<StoreFolder>& folders) {
    if (!options_.storeRoot.empty() && isInside(options_.output, options_.storeRoot)) {
      report_.error = "the output folder " + options_.output.string() +
                      " is inside the store; an export never writes into the store";
      return report_;
    }
    plan(folders);
    if (!options_.intoExisting && !checkNothingThere()) return report_;
    if (!writer_->begin(report_.error)) return report_;
    report_.started = true;
    for (const StoreFolder& folder : folders) total_ += folder.messageCount();
    for (size_t i = 0; i < folders.size(); ++i) exportFolder(folders[i], report_.folders[i]);
    return report_;
  }

 private:
  void plan(const std::vector<StoreFolder>& folders) {
    std::vector<FolderToName> toName;
    for (const StoreFolder& folder : folders)
      toName.push_back({folder.id(), folder.parentId(), folder.name()});
    const std::vector<std::string> outputs = exportFolderNames(toName, options_.format);
    const std::vector<std::string> paths = storePaths(folders);
    for (size_t i = 0; i < folders.size(); ++i) report_.folders.push_back({paths[i], outputs[i]});
  }

  bool checkNothingThere() {
    size_t there = 0;
    std::string first;
    for (const ExportedFolder& folder : report_.folders) {
      if (!standsAt(writer_->pathOf(folder.outputPath))) continue;
      if (there++ == 0) first = writer_->pathOf(folder.outputPath).string();
    }
    if (there == 0) return true;
    report_.error = first +
                    (there > 1 ? " and " + std::to_string(there - 1) + " more exist" : " exists") +
                    " already (an earlier export?); nothing was written. Give --into-existing "
                    "to add only the messages that are not there yet";
    return false;
  }

  void exportFolder(StoreFolder& folder, ExportedFolder& result) {
    for (const std::string& damage : folder.damage()) {
      problem("folder \"" + result.storePath + "\": " + damage + "; messages may be missing");
      result.complete = false;
    }
    std::string error;
    const bool completed = writer_->folder(
        result.outputPath, options_.intoExisting, [&] { exportMessages(folder, result); }, error);
    if (completed) return;
    problem("folder \"" + result.storePath + "\": " + error + "; not exported");
    result.complete = false;
    // Nothing this folder's writer took stayed.
    result.failed += result.written;
    result.written = 0;
  }

  void exportMessages(StoreFolder& folder, ExportedFolder& result) {
    for (auto message = folder.firstMessage(); message; message = folder.nextMessage()) {
      exportMessage(*message, result);
      if (callbacks_.progress) callbacks_.progress(++done_, total_, result.storePath);
    }
  }

  void exportMessage(StoreMessage& message, ExportedFolder& result) {
    const std::string where =
        "message " + std::to_string(message.id()) + " of folder \"" + result.storePath + "\"";
    const auto& source = message.wholeSource();
    if (!source) {
      ++result.failed;
      problem(where + " cannot be read whole (damaged or never stored); not exported");
      return;
    }
    const MessageFacts facts = message.facts();
    const MessageEnvelope envelope = envelopeOf(headerBlockOf(*source));
    ExportedMessage exported;
    exported.bytes = *source;
    exported.time = envelope.date ? envelope.date : facts.storedTime;
    exported.seen = facts.seen;
    exported.sender = envelope.sender;
    std::string error;
    switch (writer_->add(exported, error)) {
      case AddOutcome::Written:
        ++result.written;
        break;
      case AddOutcome::AlreadyThere:
        ++result.alreadyThere;
        break;
      case AddOutcome::Failed:
        ++result.failed;
        problem(where + ": " + error);
        break;
    }
  }

  void problem(const std::string& text) {
    if (callbacks_.problem) callbacks_.problem(text);
  }

  const ExportOptions& options_;
  const ExportCallbacks& callbacks_;
  std::unique_ptr<ExportWriter> writer_;
  ExportReport report_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
};

}  // namespace

bool ExportReport::anyFailed() const {
  if (!started) return true;
  for (const ExportedFolder& folder : folders) {
    if (folder.failed > 0 || !folder.complete) return true;
  }
  return false;
}

ExportReport exportFolders(std::vector<StoreFolder> folders, const ExportOptions& options,
                           const ExportCallbacks& callbacks) {
  return Run(options, callbacks).go(folders);
}

}  // namespace mailvane::store
