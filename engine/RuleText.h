#pragma once
// RuleText: the message as the pattern rules read it, every line ending in CR LF. Mail
// saved by Unix tools, split out of mbox files or kept in version control ends its lines
// in a bare LF; the rules read such a message as if each line ended in CR LF. Positions
// in that reading map back to the stored bytes, so a part's file can still hold exactly
// what the message stores.

#include <string_view>
#include <utility>
#include <vector>

#include "engine/SharedText.h"

namespace mailvane::engine {

class RuleText {
 public:
  RuleText() = default;
  // The stored text with bare LFs read as CR LF and, when dropLinesWith is given, every
  // line that holds it (compared without regard to case) left out; the remaining lines
  // are joined with CR LF. Stored text that needs neither is shared, not copied.
  static RuleText of(const SharedText& stored, std::string_view dropLinesWith = {});

  const SharedText& text() const { return text_; }
  bool isStored() const { return runs_.empty(); }

  // The stored position that position pos of text() stands for. The CR read into a bare
  // LF line end stands for that LF.
  size_t toStored(size_t pos) const;
  // The stored bytes that a piece of text() stands for, sharing the stored buffer.
  SharedText storedSlice(std::string_view piece) const;
  // Offsets of a piece of text() in the stored text, as [first, last).
  std::pair<size_t, size_t> storedRange(std::string_view piece) const;

  static bool hasBareLf(std::string_view text);

 private:
  SharedText stored_;
  SharedText text_;
  // (position in text_, stored position) where the mapping jumps; empty when text_ is
  // the stored text itself.
  std::vector<std::pair<size_t, size_t>> runs_;
};

}  // namespace mailvane::engine
