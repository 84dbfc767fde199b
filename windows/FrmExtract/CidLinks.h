#pragma once
// Points the "cid:" references of a message's HTML at the files its parts are saved as,
// so the saved page shows its pictures from beside it.

#include <string>
#include <string_view>
#include <vector>

#include "windows/FrmExtract/ExtractedMessage.h"

namespace mailvane {

class CidLinks {
 public:
  // Every "cid:" followed by a part's whole Content-ID becomes the part's saved name; the
  // first part wins when two share an ID. References to IDs no part has stay as they
  // are. One pass over the HTML, however many parts there are.
  static std::string rewrite(std::string_view html, const std::vector<ListedPart>& parts);

  // True for a character that cannot continue a Content-ID inside a reference, so
  // "cid:ab" is not taken for the start of "cid:abc".
  static bool endsReference(char c);
};

}  // namespace mailvane
