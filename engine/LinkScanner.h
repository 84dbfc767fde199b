#pragma once
// Web links that a rebuilt HTML only refers to: sounds and videos behind "http://",
// and Embedded OpenType fonts in style sheets.

#include <string>
#include <string_view>

#include "engine/KeyedList.h"

namespace mailvane::engine {

class LinkScanner {
 public:
  // True when the last four characters, lower-cased, are one of the sound endings.
  static bool hasSoundEnding(std::string_view name);

  // Each adds the links found from `start` on, keyed by the link itself, so a link is
  // held once whatever its letter case.
  static void findSounds(std::string_view html, size_t start, KeyedList<std::string>& into);
  static void findFonts(std::string_view html, size_t start, KeyedList<std::string>& into);

 private:
  static void addLink(std::string_view link, KeyedList<std::string>& into);
};

}  // namespace mailvane::engine
