// Any bytes as what an export takes from a store: the first byte picks the use, the rest
// is its input. A message written in mboxrd form must read back as it was; any bytes read
// as an mbox file must not trouble the reader; folder names (one a line, each under the
// one before when the line starts with a blank) must map to names that stay in their
// place; a header block gives its date and sender without harm.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/ExportNames.h"
#include "store/HeaderScan.h"
#include "store/Mboxrd.h"
#include "store/MessageEnvelope.h"

namespace {

using namespace mailvane::store;

void check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<std::string> split(std::string_view mbox) {
  std::vector<std::string> messages;
  MboxSplitter splitter([&](std::string message) { messages.push_back(std::move(message)); });
  // Odd piece sizes, so lines are cut across feeds.
  for (size_t at = 0; at < mbox.size(); at += 7) splitter.feed(mbox.substr(at, 7));
  splitter.finish();
  return messages;
}

void mboxRoundTrip(std::string_view message) {
  std::string mbox = mboxFromLine("a@b", 0);
  appendMboxrd(mbox, message);
  const auto back = split(mbox);
  check(back.size() == 1 && back[0] == mboxReadBack(message));
  (void)split(message);
}

void names(std::string_view bytes) {
  std::vector<FolderToName> folders;
  FolderId id = 1;
  for (size_t at = 0; at <= bytes.size() && id < 2000; ++id) {
    const size_t end = std::min(bytes.find('\n', at), bytes.size());
    std::string_view line = bytes.substr(at, end - at);
    const bool nested = !line.empty() && line.front() == ' ';
    folders.push_back({id, nested ? FolderId(id - 1) : FolderId(0), std::string(line)});
    at = end + 1;
  }
  for (ExportFormat format : {ExportFormat::Maildir, ExportFormat::Mbox}) {
    const auto paths = exportFolderNames(folders, format);
    check(paths.size() == folders.size());
    for (const std::string& path : paths) {
      check(format == ExportFormat::Mbox ||
            (path.find('/') == std::string::npos && path.size() <= 255));
      for (size_t at = 0; at <= path.size();) {
        const size_t end = std::min(path.find('/', at), path.size());
        const std::string_view part = std::string_view(path).substr(at, end - at);
        check(!part.empty() && part != "." && part != ".." && part.size() <= 255);
        check(part.find('\0') == std::string_view::npos);
        at = end + 1;
      }
    }
  }
}

void envelope(std::string_view bytes) {
  const MessageEnvelope found = envelopeOf(headerBlockOf(bytes));
  check(found.sender.find_first_of(" \t\r\n") == std::string::npos);
  (void)asctimeUtc(found.date.value_or(0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Seeds start with a digit so the corpus stays readable: '0', '1' and '2' pick in turn.
  switch (data[0] % 3) {
    case 0:
      mboxRoundTrip(bytes);
      break;
    case 1:
      names(bytes);
      break;
    default:
      envelope(bytes);
      break;
  }
  return 0;
}
