#include "store/FolderNameFile.h"

#include <fstream>

#include "system/CodePage.h"
#include "system/Utf16.h"

namespace mailvane::store {

namespace {

// A folder name is short; a larger file is not a name file.
constexpr size_t kMaxNameFile = 4096;

enum class Encoding { Utf16Le, Utf16Be, Bytes };

// UTF-16 without a byte-order mark shows as NULs in every second byte of ASCII names.
Encoding detect(std::string_view& bytes) {
  if (bytes.starts_with("\xFF\xFE")) {
    bytes.remove_prefix(2);
    return Encoding::Utf16Le;
  }
  if (bytes.starts_with("\xFE\xFF")) {
    bytes.remove_prefix(2);
    return Encoding::Utf16Be;
  }
  if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') return Encoding::Utf16Le;
  if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0') return Encoding::Utf16Be;
  return Encoding::Bytes;
}

std::u16string utf16Units(std::string_view bytes, bool littleEndian) {
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(littleEndian ? a | b << 8 : b | a << 8));
  }
  return units;
}

// The converter drops invalid bytes, so only valid UTF-8 survives the round trip.
bool isValidUtf8(std::string_view text) {
  return system::utf16ToUtf8(system::utf8ToUtf16(text)) == text;
}

std::string firstLineTrimmed(std::string text) {
  const size_t end = text.find_first_of(std::string_view("\0\r\n", 3));
  if (end != std::string::npos) text.resize(end);
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string folderNameFromBytes(std::string_view bytes) {
  const Encoding encoding = detect(bytes);
  if (encoding != Encoding::Bytes) {
    return firstLineTrimmed(
        system::utf16ToUtf8(utf16Units(bytes, encoding == Encoding::Utf16Le)));
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const std::string line = firstLineTrimmed(std::string(bytes));
  return isValidUtf8(line) ? line : system::toUtf8(line);
}

std::string readFolderNameFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string bytes(kMaxNameFile, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return folderNameFromBytes(bytes);
}

}  // namespace mailvane::store
