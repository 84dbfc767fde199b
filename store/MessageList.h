#pragma once
// The messages of one store folder, numbered from 0. Lists load what they need on first
// use and read a message's source only when it is asked for.

#include <cstdint>
#include <optional>
#include <string>

namespace mailvane::store {

class MessageList {
 public:
  virtual ~MessageList() = default;
  virtual uint32_t count() = 0;
  // UTF-8; empty when the message has none or cannot be read.
  virtual std::string subject(uint32_t index) = 0;
  // The message exactly as stored; nullopt when it cannot be read whole.
  virtual std::optional<std::string> source(uint32_t index) = 0;
};

}  // namespace mailvane::store
