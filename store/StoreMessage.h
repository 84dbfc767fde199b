#pragma once
// One message of a store folder: its subject, its source exactly as stored, and its parts
// as GMime decodes them. The source is read, and parsed, only when first asked for.
//
// Part names (file name, display name) come from untrusted messages and are handed out as
// they are, decoded to UTF-8 but not cleaned: they may hold "/", "..", control characters
// or be empty. A caller that builds a path from one must clean it first; savePart()
// writes to exactly the path it is given.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "store/MessageList.h"
#include "store/MimeMessage.h"

namespace mailvane::store {

// Message identifiers number a folder's messages from 1 in the folder's order; they stay
// valid while the folder's contents do not change.
using MessageId = uint32_t;

class StoreMessage {
 public:
  StoreMessage(std::shared_ptr<MessageList> list, uint32_t index)
      : list_(std::move(list)), index_(index) {}

  MessageId id() const { return index_ + 1; }
  // UTF-8, encoded words decoded; read without reading the whole message when possible.
  std::string subject() const;
  // The whole message as stored; empty when it cannot be read.
  const std::string& source();
  // The same, but nullopt when it cannot be read whole (a damaged chain, text never
  // stored, a file gone), which an empty message is not.
  const std::optional<std::string>& wholeSource();
  // What the store records beside the text (read flag, file time).
  MessageFacts facts() const;

  // Part handles: 0 when the message has no such part.
  PartHandle htmlBodyPart();
  PartHandle textBodyPart();
  // Every part that is not one of the two bodies, in message order; 0 after the last.
  PartHandle firstPart();
  PartHandle nextPart();

  // A text part converted to UTF-8 from its charset; any other part as partBytes().
  std::string partText(PartHandle part);
  // The part with its transfer encoding undone, byte for byte.
  std::string partBytes(PartHandle part);
  // The names the message declares for a part (untrusted, see above): the file name is
  // the Content-Disposition "filename", else the Content-Type "name"; the display name is
  // the Content-Type "name", else the Content-Description. Empty when not declared.
  std::string partFileName(PartHandle part);
  std::string partDisplayName(PartHandle part);
  // Writes partBytes() to path, replacing any file there; false when nothing was written.
  bool savePart(PartHandle part, const std::filesystem::path& path);

 private:
  const MimeMessage& mime();

  std::shared_ptr<MessageList> list_;
  uint32_t index_;
  std::optional<std::optional<std::string>> wholeSource_;  // outer: read yet
  std::shared_ptr<MimeMessage> mime_;
  size_t nextAttachment_ = 0;
};

}  // namespace mailvane::store
