// Any bytes as what the message store reads from a user's disk. The first byte picks the
// reader, the rest is its input: a folder-name file, a whole message walked through every
// part operation a caller has, or a message's header block scanned for its subject.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/FolderNameFile.h"
#include "store/HeaderScan.h"
#include "store/StoreMessage.h"

namespace {

using namespace mailvane::store;

// One message held in memory, as a store folder would hand it out.
class OneMessage : public MessageList {
 public:
  explicit OneMessage(std::string_view source) : source_(source) {}
  uint32_t count() override { return 1; }
  std::string subject(uint32_t) override { return subjectOf(headerBlockOf(source_)); }
  std::optional<std::string> source(uint32_t) override { return source_; }

 private:
  std::string source_;
};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void folderName(std::string_view bytes) {
  const std::string name = folderNameFromBytes(bytes);
  // One line, trimmed: a name never carries a line end, a NUL or outer blanks.
  check(name.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos);
  check(name.empty() || (name.front() != ' ' && name.back() != ' '));
}

void headerScan(std::string_view bytes) {
  const std::string_view block = headerBlockOf(bytes);
  check(block.size() <= bytes.size() && bytes.starts_with(block));
  (void)subjectOf(block);
}

std::string readPart(StoreMessage& message, PartHandle part) {
  std::string bytes = message.partBytes(part);
  (void)message.partText(part);
  (void)message.partFileName(part);
  (void)message.partDisplayName(part);
  return bytes;
}

void walkMessage(std::string_view bytes) {
  StoreMessage message(std::make_shared<OneMessage>(bytes), 0);
  (void)message.subject();
  check(message.source() == bytes);
  const PartHandle html = message.htmlBodyPart();
  const PartHandle text = message.textBodyPart();
  check(readPart(message, 0).empty());
  readPart(message, html);
  readPart(message, text);
  PartHandle previous = 0;
  for (PartHandle part = message.firstPart(); part != 0; part = message.nextPart()) {
    // Attachments come in document order and are never one of the bodies.
    check(part > previous && part != html && part != text);
    previous = part;
    readPart(message, part);
  }
  // A handle the message never gave out is simply empty.
  check(readPart(message, UINT32_MAX).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Seeds start with a digit so the corpus stays readable: '0', '1' and '2' pick in turn.
  switch (data[0] % 3) {
    case 0: folderName(bytes); break;
    case 1: walkMessage(bytes); break;
    default: headerScan(bytes); break;
  }
  return 0;
}
