#pragma once
// The display name a mail client keeps beside a store folder's messages, in winmail.fol
// or wlmail.fol: UTF-16 (with or without a byte-order mark) or plain text.

#include <filesystem>
#include <string>
#include <string_view>

namespace mailvane::store {

// The name in UTF-8, up to its first NUL or line end, blanks trimmed; empty when the file
// is missing, unreadable or holds no name.
std::string readFolderNameFile(const std::filesystem::path& file);

// The same for the bytes of such a file.
std::string folderNameFromBytes(std::string_view bytes);

}  // namespace mailvane::store
