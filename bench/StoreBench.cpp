// The message store over generated stores of small messages: a Windows Mail folder tree
// with one ".eml" file per message, and an Outlook Express store with one .dbx folder.
// Each comes with 100,000 messages in its inbox and as a 1,000-message twin, so the cost
// per message can be compared across sizes. The stores are written once below
// MAILVANE_STORE_BENCH_DIR (default /tmp/mailvane-store-bench) and kept for later runs;
// delete that folder when done. The export steps write below MAILVANE_STORE_BENCH_OUT.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/MessageStore.h"
#include "store/StoreExport.h"
#include "tests/plugins/toolbench/DbxBuilder.h"

namespace {

namespace fs = std::filesystem;
using namespace mailvane::store;
using mailvane::dbx::test::DbxBuilder;
using mailvane::dbx::test::Property;

constexpr int kLarge = 100000;
constexpr int kSmall = 1000;
enum Kind { kMailFolders = 0, kOutlookExpress = 1 };

fs::path benchRoot() {
  const char* path = std::getenv("MAILVANE_STORE_BENCH_DIR");
  return path ? fs::path(path) : fs::path("/tmp/mailvane-store-bench");
}

struct Subject {
  std::string header;  // as the message's header holds it
  std::string stored;  // decoded, in the code page, as an index record keeps it
};

// Varied subjects; one in ten is an encoded word, as mail from other countries has them.
Subject subjectFor(int i) {
  static const char* const kWords[] = {"Meeting", "Invoice", "Holiday", "Photos", "Report",
                                       "Lunch",   "Update",  "Tickets", "Garden", "Recipe"};
  const std::string tail = std::string(kWords[i % 10]) + " " + kWords[(i / 10) % 10] + " " +
                           std::to_string(i);
  if (i % 20 == 3) return {"=?iso-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?= " + tail, "Gr\xFC\xDF" "e aus K\xF6ln " + tail};
  if (i % 20 == 13) return {"=?utf-8?B?4oKsLUFuZ2Vib3QgZsO8ciBTaWU=?= " + tail, "\x80-Angebot f\xFCr Sie " + tail};
  if (i % 7 == 0) return {"Re: " + tail, "Re: " + tail};
  return {tail, tail};
}

// About 2 KB: a text and an HTML body, quoted-printable, like a mail client sends them.
std::string messageText(int i, const Subject& subject) {
  std::string lines;
  for (int line = 0; line < 12; ++line) {
    lines += "Line " + std::to_string(line) + " of message " + std::to_string(i) +
             ": the quick brown fox jumps over the lazy dog=2E\r\n";
  }
  return "From: \"Ann Example\" <ann@example.com>\r\nTo: bob@example.org\r\nSubject: " +
         subject.header + "\r\nDate: Tue, 4 Mar 2008 10:00:00 +0100\r\nMessage-ID: <" +
         std::to_string(i) + "@example.com>\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/alternative; boundary=\"----=_Part\"\r\n\r\n"
         "This is a multi-part message in MIME format.\r\n\r\n------=_Part\r\n"
         "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n" + lines +
         "\r\n------=_Part\r\nContent-Type: text/html; charset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n<HTML><BODY><PRE>\r\n" + lines +
         "</PRE></BODY></HTML>\r\n\r\n------=_Part--\r\n";
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// Windows Mail: Local Folders with a full inbox, a few sent messages, two empty folders
// known only by their name files, and the database files the lister has to pass over.
void writeMailFolders(const fs::path& root, int messages) {
  const fs::path local = root / "Local Folders";
  for (const char* name : {"Inbox", "Sent Items", "Drafts", "Deleted Items"}) {
    fs::create_directories(local / name);
    writeFile(local / name / "winmail.fol", name);
  }
  for (int i = 0; i < messages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%08X-%08X.eml", 0x4F8B02F0u, unsigned(i + 1));
    writeFile(local / "Inbox" / name, messageText(i, subjectFor(i)));
  }
  for (int i = 0; i < 20; ++i) {
    writeFile(local / "Sent Items" / ("0000" + std::to_string(i) + ".eml"),
              messageText(i, subjectFor(i)));
  }
  fs::create_directories(root / "Backup" / "temp");
  writeFile(root / "WindowsMail.MSMessageStore", std::string(4096, '\0'));
}

// Outlook Express: Folders.dbx naming the tree, Inbox.dbx holding every message.
void writeOutlookExpress(const fs::path& root, int messages) {
  fs::create_directories(root);
  DbxBuilder folders(mailvane::dbx::test::kFolderClass);
  const auto folder = [&folders](uint32_t id, uint32_t parent, const char* name, const char* file) {
    std::vector<Property> properties = {Property::int4(0x00, id), Property::int4(0x01, parent),
                                        Property::text(0x02, name)};
    if (*file) properties.push_back(Property::text(0x03, file));
    return folders.addRecord(properties);
  };
  const std::vector<uint32_t> records = {folder(0, 0xFFFFFFFF, "Outlook Express", ""),
                                         folder(1, 0, "Local Folders", ""),
                                         folder(4, 1, "Inbox", "Inbox.dbx"),
                                         folder(6, 1, "Sent Items", "")};
  folders.setTree1(folders.addTree(records, 51), uint32_t(records.size()));
  folders.save(root / "Folders.dbx");

  DbxBuilder inbox;
  std::vector<uint32_t> messageRecords;
  for (int i = 0; i < messages; ++i) {
    const Subject subject = subjectFor(i);
    const uint32_t chain = inbox.addChain(messageText(i, subject));
    // The file passes 16 MiB, beyond what a direct body pointer holds.
    messageRecords.push_back(inbox.addMessage(uint32_t(i + 1), subject.stored, chain, true));
  }
  inbox.setTree1(inbox.addTree(messageRecords, 51), uint32_t(messageRecords.size()));
  inbox.save(root / "Inbox.dbx");
}

// The prepared store of that kind and size, written on first use.
fs::path store(Kind kind, int messages) {
  const fs::path root = benchRoot() / ((kind == kMailFolders ? "mail-" : "oe-") + std::to_string(messages));
  if (!fs::exists(root / "done")) {
    fs::remove_all(root);
    if (kind == kMailFolders) {
      writeMailFolders(root, messages);
    } else {
      writeOutlookExpress(root, messages);
    }
    writeFile(root / "done", "");
  }
  return root;
}

FolderId inboxId(const fs::path& root) {
  MessageStore opened = MessageStore::open(root);
  for (auto folder = opened.firstFolder(); folder; folder = opened.nextFolder()) {
    if (folder->name() == "Inbox") return folder->id();
  }
  return 0;
}

struct Prepared {
  fs::path root;
  FolderId inbox = 0;
  int messages = 0;
};

// The store the benchmark's arguments (kind, messages) name, with its inbox found.
Prepared prepare(benchmark::State& state) {
  Prepared prepared;
  prepared.messages = int(state.range(1));
  prepared.root = store(Kind(state.range(0)), prepared.messages);
  prepared.inbox = inboxId(prepared.root);
  state.SetLabel(std::string(state.range(0) == kMailFolders ? "eml files" : "dbx") + ", " +
                 std::to_string(prepared.messages) + " messages");
  if (prepared.inbox == 0) state.SkipWithError("no inbox");
  return prepared;
}

void perMessage(benchmark::State& state, int messages) {
  state.counters["per_message"] = benchmark::Counter(
      double(messages), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Opening reads the folder layout only.
void BM_OpenAndListFolders(benchmark::State& state) {
  const auto [root, inbox, messages] = prepare(state);
  for (auto _ : state) {
    MessageStore opened = MessageStore::open(root);
    size_t listed = 0;
    for (auto folder = opened.firstFolder(); folder; folder = opened.nextFolder()) {
      benchmark::DoNotOptimize(folder->name().data());
      ++listed;
    }
    if (listed < 2) state.SkipWithError("folders missing");
  }
  perMessage(state, messages);
}

void BM_MessageCount(benchmark::State& state) {
  const auto [root, inbox, messages] = prepare(state);
  for (auto _ : state) {
    const auto folder = MessageStore::open(root).folderById(inbox);
    if (!folder || folder->messageCount() != uint32_t(messages)) state.SkipWithError("bad count");
  }
  perMessage(state, messages);
}

// What listing a folder by subject costs: open, find the folder, walk every message.
void BM_WalkSubjects(benchmark::State& state) {
  const auto [root, inbox, messages] = prepare(state);
  for (auto _ : state) {
    auto folder = MessageStore::open(root).folderById(inbox);
    size_t subjects = 0;
    for (auto message = folder->firstMessage(); message; message = folder->nextMessage()) {
      benchmark::DoNotOptimize(message->id());
      subjects += message->subject().empty() ? 0 : 1;
    }
    if (subjects != size_t(messages)) state.SkipWithError("subjects missing");
  }
  perMessage(state, messages);
}

// One message near the end by its identifier, every part read, as an extraction does it.
void BM_FetchPartsNearEnd(benchmark::State& state) {
  const auto [root, inbox, messages] = prepare(state);
  for (auto _ : state) {
    auto message = MessageStore::open(root).folderById(inbox)->messageById(MessageId(messages - 3));
    size_t bytes = message->source().size();
    bytes += message->partText(message->htmlBodyPart()).size();
    bytes += message->partText(message->textBodyPart()).size();
    for (PartHandle part = message->firstPart(); part; part = message->nextPart()) {
      bytes += message->partBytes(part).size() + message->partFileName(part).size();
    }
    if (bytes < 2000) state.SkipWithError("message missing");
  }
}

// A fresh folder for one run's output: $MAILVANE_STORE_BENCH_OUT (a tmpfs such as
// /dev/shm/... measures the export's own work rather than the disk), else beside the stores.
fs::path freshOutput(benchmark::State& state) {
  state.PauseTiming();
  const char* chosen = std::getenv("MAILVANE_STORE_BENCH_OUT");
  const fs::path output = chosen ? fs::path(chosen) : benchRoot() / "export-out";
  fs::remove_all(output);
  fs::create_directories(output);
  state.ResumeTiming();
  return output;
}

// What an export cannot beat: every message read whole and written to a file of its own.
void BM_ReadAndWriteFiles(benchmark::State& state) {
  const auto [root, inbox, messages] = prepare(state);
  for (auto _ : state) {
    const fs::path output = freshOutput(state);
    auto folder = MessageStore::open(root).folderById(inbox);
    size_t written = 0;
    for (auto message = folder->firstMessage(); message; message = folder->nextMessage()) {
      const std::string& text = message->source();
      std::ofstream(output / std::to_string(message->id()), std::ios::binary)
          .write(text.data(), std::streamsize(text.size()));
      ++written;
    }
    if (written != size_t(messages)) state.SkipWithError("messages missing");
  }
  perMessage(state, messages);
}

// The whole store exported: every folder, every message in its own file or in one mbox.
void exportStore(benchmark::State& state, ExportFormat format) {
  const auto [root, inbox, messages] = prepare(state);
  for (auto _ : state) {
    const fs::path output = freshOutput(state) / "export";
    MessageStore opened = MessageStore::open(root);
    std::vector<StoreFolder> folders;
    for (auto folder = opened.firstFolder(); folder; folder = opened.nextFolder()) {
      folders.push_back(*folder);
    }
    const ExportReport report = exportFolders(folders, {format, output, false, root}, {});
    uint64_t written = 0;
    for (const auto& folder : report.folders) written += folder.written;
    if (report.anyFailed() || written < uint64_t(messages)) state.SkipWithError("export failed");
  }
  perMessage(state, messages);
}

void BM_ExportMaildir(benchmark::State& state) { exportStore(state, ExportFormat::Maildir); }
void BM_ExportMbox(benchmark::State& state) { exportStore(state, ExportFormat::Mbox); }

void sizes(benchmark::internal::Benchmark* bench) {
  for (int kind : {kMailFolders, kOutlookExpress}) {
    for (int messages : {kSmall, kLarge}) bench->Args({kind, messages});
  }
  bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OpenAndListFolders)->Apply(sizes);
BENCHMARK(BM_MessageCount)->Apply(sizes);
BENCHMARK(BM_WalkSubjects)->Apply(sizes);
BENCHMARK(BM_FetchPartsNearEnd)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadAndWriteFiles)->Apply(sizes);
BENCHMARK(BM_ExportMaildir)->Apply(sizes);
BENCHMARK(BM_ExportMbox)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
