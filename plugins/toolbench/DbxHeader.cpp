#include "plugins/toolbench/DbxHeader.h"

#include <algorithm>
#include <array>

namespace mailvane::dbx {

namespace {

constexpr uint32_t kMagic = 0xFE12ADCF;
// The older .mbx/.idx format starts with "JMF6" followed by this version word.
constexpr uint32_t kOldFormatMagic = 0x36464D4A;
constexpr uint32_t kOldFormatVersion = 0x00010003;
// Fixed tail of the class id (bytes 0x08..0x13) shared by the message, folder and
// UIDL-cache kinds; dword 1 alone tells them apart.
constexpr std::array<uint32_t, 3> kStoreClassTail = {0x11D1E366, 0xC0004E9A, 0xD409A34F};

DbxKind kindOf(const char* head) {
  const uint32_t magic = u32At(head, 0);
  if (magic == kOldFormatMagic && u32At(head, 4) == kOldFormatVersion) return DbxKind::OldFormat;
  if (magic != kMagic) return DbxKind::Unknown;
  const uint32_t classId = u32At(head, 4);
  if (classId == 0x26FE9D30) return DbxKind::Offline;
  for (size_t i = 0; i < kStoreClassTail.size(); ++i) {
    if (u32At(head, 8 + 4 * i) != kStoreClassTail[i]) return DbxKind::Unknown;
  }
  switch (classId) {
    case 0x6F74FDC5:
      return DbxKind::Messages;
    case 0x6F74FDC6:
      return DbxKind::Folders;
    case 0x6F74FDC7:
      return DbxKind::Pop3Uidl;
    default:
      return DbxKind::Unknown;
  }
}

}  // namespace

DbxHeader readHeader(DbxSource& source) {
  DbxHeader header;
  // Zero-filled past a short file's end, so a short file is judged by what it has.
  std::array<char, 0x14> head{};
  const auto got = static_cast<size_t>(std::min<uint64_t>(head.size(), source.size()));
  if (!source.read(0, got, head.data())) return header;
  header.kind = kindOf(head.data());
  if (header.kind == DbxKind::Unknown || header.kind == DbxKind::OldFormat) {
    if (got < head.size() && u32At(head.data(), 0) == kMagic) header.kind = DbxKind::Truncated;
    return header;
  }
  std::array<char, 0xF0> fields{};
  if (source.size() < kHeaderSize || !source.read(0, fields.size(), fields.data())) {
    header.kind = DbxKind::Truncated;
    return header;
  }
  header.tree1Count = u32At(fields.data(), 0xC4);
  header.tree1Root = u32At(fields.data(), 0xE4);
  return header;
}

std::string describeKind(DbxKind kind) {
  switch (kind) {
    case DbxKind::Messages:
      return "a message folder";
    case DbxKind::Folders:
      return "a folder list (Folders.dbx), not a message folder";
    case DbxKind::Pop3Uidl:
      return "a POP3 download cache, not a message folder";
    case DbxKind::Offline:
      return "an offline-actions file, not a message folder";
    case DbxKind::OldFormat:
      return "a folder of the older .mbx/.idx format, not a .dbx file";
    case DbxKind::Truncated:
      return "too short for a .dbx file";
    case DbxKind::Unknown:
      break;
  }
  return "not a .dbx file";
}

}  // namespace mailvane::dbx
