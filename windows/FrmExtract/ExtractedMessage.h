#pragma once
// The message being extracted, as the window holds it while it writes: the source (R1),
// the HTML body (Text1) and the parts (List3). Plain data: nothing here is shown.

#include <string>
#include <vector>

#include "store/MimeMessage.h"

namespace mailvane {

struct ListedPart {
  std::string name;  // the file name the message declares, else its display name (UTF-8)
  store::PartHandle handle = 0;
  std::string contentId;  // without angle brackets; empty when the part has none
  std::string savedName;  // cleaned and unique within the message (UTF-8)
};

struct ExtractedMessage {
  std::string R1;
  std::string Text1;
  std::vector<ListedPart> List3;
};

}  // namespace mailvane
