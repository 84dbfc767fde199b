#include "plugins/toolbench/DbxReader.h"

#include "plugins/toolbench/DbxBlockChain.h"
#include "plugins/toolbench/DbxRecord.h"

namespace mailvane::dbx {

namespace {

constexpr uint8_t kFlagsProperty = 0x01;
constexpr uint8_t kBodyProperty = 0x04;
constexpr uint8_t kSubjectProperty = 0x08;

}  // namespace

bool DbxReader::open(const std::filesystem::path& path) {
  auto source = std::make_unique<DbxFileSource>(path);
  if (!source->isOpen()) {
    close();
    error_ = "cannot read " + path.string();
    return false;
  }
  return open(std::move(source));
}

bool DbxReader::open(std::unique_ptr<DbxSource> source) {
  close();
  const DbxHeader header = readHeader(*source);
  if (header.kind != DbxKind::Messages) {
    error_ = "the file is " + describeKind(header.kind);
    return false;
  }
  source_ = std::move(source);
  tree_.load(*source_, header.tree1Root, header.tree1Count, problems_);
  return true;
}

void DbxReader::close() {
  source_.reset();
  tree_ = DbxTree();
  error_.clear();
  problems_.clear();
}

std::optional<uint32_t> DbxReader::recordAt(uint32_t index, std::string& error) {
  if (!source_ || index >= count()) {
    error = "there is no message " + std::to_string(index);
    return std::nullopt;
  }
  const auto record = tree_.valueAt(*source_, index);
  if (!record) error = "message " + std::to_string(index) + " cannot be found in the index";
  return record;
}

DbxMessage DbxReader::read(uint32_t index, bool withText) {
  DbxMessage message;
  const auto offset = recordAt(index, message.error);
  if (!offset) return message;
  const auto record = DbxRecord::read(*source_, *offset, message.error);
  if (!record) return message;
  const uint32_t firstBlock = record->integer(kBodyProperty).value_or(0);
  if (firstBlock == 0) {
    // Only the index entry was kept (headers only, or never downloaded): no text at all,
    // which is not the same as an empty message.
    message.error = "message " + std::to_string(index) + " has no stored text";
    return message;
  }
  const DbxChainResult chain =
      readBlockChain(*source_, firstBlock, withText ? &message.text : nullptr);
  message.length = chain.length;
  message.complete = chain.complete;
  if (!chain.complete) {
    message.error = "message " + std::to_string(index) + " is incomplete: " + chain.error;
  }
  return message;
}

DbxMessage DbxReader::message(uint32_t index) {
  return read(index, true);
}

DbxMessage DbxReader::measure(uint32_t index) {
  return read(index, false);
}

std::optional<DbxRecord> DbxReader::record(uint32_t index) {
  std::string error;
  const auto offset = recordAt(index, error);
  if (!offset) return std::nullopt;
  return DbxRecord::read(*source_, *offset, error);
}

std::string DbxReader::subject(uint32_t index) {
  const auto found = record(index);
  return found ? found->bytes(kSubjectProperty).value_or(std::string()) : std::string();
}

std::optional<uint32_t> DbxReader::flags(uint32_t index) {
  const auto found = record(index);
  return found ? found->integer(kFlagsProperty) : std::nullopt;
}

}  // namespace mailvane::dbx
