#pragma once
// The plain-text body of a message: the first text/plain part, decoded, or, for a
// message without one, everything after its header.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/BoundarySet.h"

namespace mailvane::engine {

class TextPartReader {
 public:
  using QuotedDecoder = std::function<std::string(std::string_view)>;

  TextPartReader(std::string_view message, const BoundarySet& boundaries)
      : message_(message), boundaries_(boundaries) {}

  // nullopt when the text part has no header end, so the caller keeps its old text.
  std::optional<std::string> read(const QuotedDecoder& deQuote) const;

 private:
  std::string_view message_;
  const BoundarySet& boundaries_;
};

}  // namespace mailvane::engine
