#pragma once
// The messages of one store folder, numbered from 0. Lists load what they need on first
// use and read a message's source only when it is asked for.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mailvane::store {

// What a store records about a message beside its text.
struct MessageFacts {
  std::optional<bool> seen;           // read or not, when the store keeps a flag for it
  std::optional<int64_t> storedTime;  // Unix seconds the store gives it (its file's time)
};

class MessageList {
 public:
  virtual ~MessageList() = default;
  virtual uint32_t count() = 0;
  // UTF-8; empty when the message has none or cannot be read.
  virtual std::string subject(uint32_t index) = 0;
  // The message exactly as stored; nullopt when it cannot be read whole.
  virtual std::optional<std::string> source(uint32_t index) = 0;
  // Nothing known unless a list says otherwise.
  virtual MessageFacts facts(uint32_t /*index*/) { return {}; }
  // Damage that may hide messages from count(), one line each; empty when none is known.
  virtual std::vector<std::string> damage() { return {}; }
};

}  // namespace mailvane::store
