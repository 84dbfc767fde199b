#pragma once
// Existence tests, free numbered file names, renames that replace nothing and whole writes.

#include <filesystem>
#include <span>
#include <string_view>

namespace mailvane::system {

// True when the path names an existing file or folder.
bool FileExists(const std::filesystem::path& path);

// The path itself when nothing of that name exists; otherwise the first free name with a
// number put into the file name before its first "." (photo.jpg -> photo1.jpg), never into
// a folder name. Empty path when no free name is found.
std::filesystem::path FreeFileName(const std::filesystem::path& path);

// Gives a file another name without replacing anything there: 0, or -1 with errno
// (EEXIST when the name is taken).
int renameNoReplace(const char* from, const char* to);

// Writes all of bytes to the descriptor, retrying short and interrupted writes.
bool writeAll(int fd, std::string_view bytes);
// The same for pieces written one after another, in as few calls as the system allows.
bool writeAll(int fd, std::span<const std::string_view> pieces);

}  // namespace mailvane::system
