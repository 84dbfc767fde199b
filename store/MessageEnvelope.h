#pragma once
// What an export needs from a message's header block besides its bytes: when it was
// written (its Date field) and who sent it (the address of its From field).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mailvane::store {

struct MessageEnvelope {
  std::optional<int64_t> date;  // Unix seconds; nothing when there is no readable Date
  std::string sender;           // a bare address, safe for an mbox "From " line; may be empty
};

MessageEnvelope envelopeOf(std::string_view headerBlock);

// The time as an mbox "From " line writes it: "Tue Mar  4 09:00:00 2008", in UTC, whatever
// the locale.
std::string asctimeUtc(int64_t seconds);

}  // namespace mailvane::store
