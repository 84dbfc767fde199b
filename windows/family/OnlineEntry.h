#pragma once
// How the windows classify a part name or link shown in List2.

#include <string_view>

namespace mailvane {

class OnlineEntry {
 public:
  // The last four characters, lower-cased, are one of the sound endings.
  static bool isSound(std::string_view text);
  // The last four characters, lower-cased, are ".eot".
  static bool isFont(std::string_view text);
  // The lower-cased text contains "http://" or "https://".
  static bool isOnline(std::string_view text);
};

}  // namespace mailvane
