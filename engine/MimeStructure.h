#pragma once
// MimeStructure: the MIME tree of a message as mail readers see it (RFC 2045/2046): the
// boundaries of every multipart at any depth, parts inside attached messages, header
// names in any capitals, lines ending in CR LF, LF or CR. One forward pass over the
// text, at any depth of nesting: a boundary line of an enclosing multipart also ends the
// parts inside it, so a missing closing boundary loses nothing.

#include <functional>
#include <string>
#include <string_view>

#include "engine/MimeHeader.h"

namespace mailvane::engine {

// One leaf of the tree: a part that holds a body rather than other parts.
struct MimeLeaf {
  MimeHeader header;
  std::string type;       // lower-cased "type/subtype", defaulted as RFC 2045 says
  std::string_view body;  // the body as stored, without the line end before the boundary
};

class MimeStructure {
 public:
  // Calls onLeaf for every leaf, in the order of the text. `body` views lie in `text`.
  static void walk(std::string_view text, const std::function<void(const MimeLeaf&)>& onLeaf);

  // The type a header gives, with the default of its place (message/rfc822 within a
  // multipart/digest, else text/plain).
  static std::string typeOf(const MimeHeader& header, bool inDigest);
};

}  // namespace mailvane::engine
