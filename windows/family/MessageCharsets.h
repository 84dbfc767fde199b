#pragma once
// Where a message says which charset its text is in. The parser keeps a part's bytes as
// the message stored them, so the views need the declaration to show them right: the
// charset parameter of the part's Content-Type, or the <meta> of an HTML document.

#include <string>
#include <string_view>

namespace mailvane {

class MessageCharsets {
 public:
  // The charset parameter of the first Content-Type field of message whose media type is
  // mediaType (lower case, "text/html"); "" when that field names none or there is no
  // such field. Field names in any capitals, folded values, lines ending in CR LF or LF.
  static std::string partCharset(std::string_view message, std::string_view mediaType);
  // The charset the first <meta> of html with one declares, as <meta charset="..."> or
  // <meta http-equiv="Content-Type" content="text/html; charset=...">; "" when none
  // before the body does.
  static std::string metaCharset(std::string_view html);
};

}  // namespace mailvane
