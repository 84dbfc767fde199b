#include "store/StoreFolder.h"

namespace mailvane::store {

uint32_t StoreFolder::messageCount() const {
  return entry_.messages ? entry_.messages->count() : 0;
}

std::vector<std::string> StoreFolder::damage() const {
  return entry_.messages ? entry_.messages->damage() : std::vector<std::string>();
}

std::optional<StoreMessage> StoreFolder::firstMessage() {
  nextIndex_ = 0;
  return nextMessage();
}

std::optional<StoreMessage> StoreFolder::nextMessage() {
  if (nextIndex_ >= messageCount()) return std::nullopt;
  return StoreMessage(entry_.messages, nextIndex_++);
}

std::optional<StoreMessage> StoreFolder::messageById(MessageId id) const {
  if (id == 0 || id > messageCount()) return std::nullopt;
  return StoreMessage(entry_.messages, id - 1);
}

}  // namespace mailvane::store
