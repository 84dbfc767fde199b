#pragma once
// One message source parsed by GMime into its leaf parts. The first inline text/html and
// text/plain leaves without a file name are the bodies; every other leaf (attachments,
// inline pictures, attached messages) is an attachment. Parts are numbered from 1 in
// document order; 0 means "no part".

#include <filesystem>
#include <string>
#include <vector>

// GMime stays out of this header so callers need not see its include folders.
typedef struct _GMimeMessage GMimeMessage;
typedef struct _GMimeObject GMimeObject;

namespace mailvane::store {

using PartHandle = unsigned;

class MimeMessage {
 public:
  // Never fails: a source GMime cannot make sense of yields no parts.
  explicit MimeMessage(const std::string& source);
  ~MimeMessage();
  MimeMessage(const MimeMessage&) = delete;
  MimeMessage& operator=(const MimeMessage&) = delete;

  PartHandle htmlBody() const { return html_; }
  PartHandle textBody() const { return text_; }
  // The parts that are not bodies, in document order.
  const std::vector<PartHandle>& attachments() const { return attachments_; }

  // The content with its transfer encoding undone, byte for byte; empty for handle 0.
  std::string decodedBytes(PartHandle part) const;
  // Text parts converted from their charset to UTF-8; other parts as decodedBytes().
  std::string text(PartHandle part) const;
  // The names the message declares, decoded to UTF-8 and otherwise untouched.
  std::string fileName(PartHandle part) const;
  std::string displayName(PartHandle part) const;
  // The part's Content-ID without its angle brackets (what "cid:" links name); empty when
  // it has none.
  std::string contentId(PartHandle part) const;
  // Writes decodedBytes() to path; false when the part is unknown or the write fails.
  bool save(PartHandle part, const std::filesystem::path& path) const;

 private:
  // Nesting deeper than this is not walked: real messages stay far below it.
  static constexpr int kMaxDepth = 64;

  GMimeObject* leaf(PartHandle part) const;
  void collect(GMimeObject* object, int depth);
  void classify();

  GMimeMessage* message_ = nullptr;
  std::vector<GMimeObject*> leaves_;  // owned by message_
  PartHandle html_ = 0;
  PartHandle text_ = 0;
  std::vector<PartHandle> attachments_;
};

}  // namespace mailvane::store
