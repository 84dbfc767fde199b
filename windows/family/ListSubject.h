#pragma once
// The subject a message is listed under. A folder of thousands of messages is listed by
// reading each file's header block only: the whole file is read only when its header
// holds no "Subject:". Lines ending in a bare LF are read as CR LF, as the engine reads
// every header field.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mailvane {

class ListSubject {
 public:
  // The subject of a whole message text: the value of its "Subject:" field (found as the
  // engine's field rule finds it); nullopt when the text holds no "Subject:" at all, so
  // the message gets no row.
  static std::optional<std::string> ofText(std::string_view text);

  // The same for a message file, read from its start only as far as its header block
  // when that holds the field. `buffer` is reused from file to file, so listing a folder
  // does not allocate per message. nullopt also when the file cannot be read.
  static std::optional<std::string> ofFile(const std::filesystem::path& file, std::string& buffer);

  // Where the header block of text ends: just after its first empty line (CR LF or LF);
  // npos when no empty line is in the text yet.
  static size_t headerEnd(std::string_view text, size_t from = 0);
};

}  // namespace mailvane
