#include "windows/family/OnlineEntry.h"

#include "engine/LinkScanner.h"
#include "system/CodePage.h"

namespace mailvane {

bool OnlineEntry::isSound(std::string_view text) {
  return engine::LinkScanner::hasSoundEnding(text);
}

bool OnlineEntry::isFont(std::string_view text) {
  return text.size() >= 4 && system::equalsNoCase(text.substr(text.size() - 4), ".eot");
}

bool OnlineEntry::isOnline(std::string_view text) {
  return system::findNoCase(text, "http://") != std::string_view::npos ||
         system::findNoCase(text, "https://") != std::string_view::npos;
}

}  // namespace mailvane
