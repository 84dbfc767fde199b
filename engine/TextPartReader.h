#pragma once
// The plain-text body of a message: the first text/plain part, decoded, or, for a
// message without one, everything after its header.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/BoundarySet.h"
#include "engine/SharedText.h"

namespace mailvane::engine {

class TextPartReader {
 public:
  using QuotedDecoder = std::function<std::string(std::string_view)>;

  // owner holds message when the result may share its bytes (an empty one when not).
  TextPartReader(std::string_view message, const SharedText& owner, const BoundarySet& boundaries)
      : message_(message), owner_(owner), boundaries_(boundaries) {}

  // nullopt when the text part has no header end, so the caller keeps its old text. A
  // body taken as it stands shares the owner's bytes instead of copying them.
  std::optional<SharedText> read(const QuotedDecoder& deQuote) const;

 private:
  std::string_view message_;
  const SharedText& owner_;
  const BoundarySet& boundaries_;
};

}  // namespace mailvane::engine
