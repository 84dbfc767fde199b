#include "store/DbxMessageList.h"

#include "store/HeaderScan.h"
#include "system/CodePage.h"

namespace mailvane::store {

namespace {
constexpr uint32_t kReadFlag = 0x80;
}  // namespace

bool DbxMessageList::ready() {
  if (!tried_) {
    tried_ = true;
    open_ = reader_.open(file_);
  }
  return open_;
}

uint32_t DbxMessageList::count() { return ready() ? reader_.count() : 0; }

std::string DbxMessageList::subject(uint32_t index) {
  if (!ready() || index >= reader_.count()) return {};
  // The index record keeps the subject already decoded, in the writing machine's code page.
  const std::string stored = reader_.subject(index);
  if (!stored.empty()) return system::toUtf8(stored);
  const auto text = source(index);
  return text ? subjectOf(*text) : std::string();
}

std::optional<std::string> DbxMessageList::source(uint32_t index) {
  if (!ready() || index >= reader_.count()) return std::nullopt;
  dbx::DbxMessage message = reader_.message(index);
  if (!message.complete) return std::nullopt;
  return std::move(message.text);
}

MessageFacts DbxMessageList::facts(uint32_t index) {
  MessageFacts facts;
  if (!ready() || index >= reader_.count()) return facts;
  if (const auto flags = reader_.flags(index)) facts.seen = (*flags & kReadFlag) != 0;
  return facts;
}

std::vector<std::string> DbxMessageList::damage() {
  if (!ready()) return {reader_.error()};
  return reader_.problems();
}

}  // namespace mailvane::store
