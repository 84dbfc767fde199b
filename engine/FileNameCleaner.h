#pragma once
// Turns a declared part name or a subject into something usable as a file name: strips
// reply marks, smileys, encoded-word wrappers and characters file systems or shells
// dislike. Names left shorter than two characters get a random numeric prefix.

#include <string>
#include <string_view>

namespace mailvane::engine {

class FileNameCleaner {
 public:
  static std::string clean(std::string_view name);

 private:
  static std::string dropSmileys(std::string name);
  static std::string applyColonRule(std::string name);
  static std::string applyTable(std::string name);
  static std::string randomPrefix();
};

}  // namespace mailvane::engine
