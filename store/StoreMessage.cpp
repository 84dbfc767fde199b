#include "store/StoreMessage.h"

namespace mailvane::store {

std::string StoreMessage::subject() const { return list_ ? list_->subject(index_) : std::string(); }

const std::optional<std::string>& StoreMessage::wholeSource() {
  if (!wholeSource_) wholeSource_.emplace(list_ ? list_->source(index_) : std::nullopt);
  return *wholeSource_;
}

const std::string& StoreMessage::source() {
  static const std::string kNone;
  const auto& whole = wholeSource();
  return whole ? *whole : kNone;
}

MessageFacts StoreMessage::facts() const { return list_ ? list_->facts(index_) : MessageFacts(); }

const MimeMessage& StoreMessage::mime() {
  if (!mime_) mime_ = std::make_shared<MimeMessage>(source());
  return *mime_;
}

PartHandle StoreMessage::htmlBodyPart() { return mime().htmlBody(); }

PartHandle StoreMessage::textBodyPart() { return mime().textBody(); }

PartHandle StoreMessage::firstPart() {
  nextAttachment_ = 0;
  return nextPart();
}

PartHandle StoreMessage::nextPart() {
  const auto& attachments = mime().attachments();
  return nextAttachment_ < attachments.size() ? attachments[nextAttachment_++] : 0;
}

std::string StoreMessage::partText(PartHandle part) { return mime().text(part); }

std::string StoreMessage::partBytes(PartHandle part) { return mime().decodedBytes(part); }

std::string StoreMessage::partFileName(PartHandle part) { return mime().fileName(part); }

std::string StoreMessage::partDisplayName(PartHandle part) { return mime().displayName(part); }

bool StoreMessage::savePart(PartHandle part, const std::filesystem::path& path) {
  return mime().save(part, path);
}

}  // namespace mailvane::store
