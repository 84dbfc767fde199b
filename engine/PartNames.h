#pragma once
// File names for the parts of one message: safe as a single name inside the output
// folder, short enough for the file system once converted to UTF-8, and unique within
// the message so that no part overwrites or hides another.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace mailvane::engine {

class PartNames {
 public:
  // Names are kept this far below the usual 255-byte limit so that the numbers added to
  // keep names unique (here and by the free-file-name rule) still fit.
  static constexpr size_t kMaxNameBytes = 240;

  // A name that stays one entry of the folder it is joined to: no "/" or NUL, never
  // empty, "." or "..", at most kMaxNameBytes in UTF-8, extension kept when shortened.
  // Names that already qualify come back unchanged.
  static std::string fit(std::string_view name);

  // The name itself when no earlier part of the message has it, else the name with the
  // first free number put before its first "." (pic.gif, pic1.gif, pic2.gif).
  std::string claim(std::string_view name);

 private:
  std::unordered_set<std::string> used_;
  std::unordered_map<std::string, long> nextNumber_;
};

}  // namespace mailvane::engine
