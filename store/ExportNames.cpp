#include "store/ExportNames.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace mailvane::store {

namespace {

constexpr size_t kMaxFileName = 255;
// Whole relative paths of an mbox tree stay well below the system's path limit.
constexpr size_t kMaxMboxPath = 3000;
constexpr std::string_view kChildren = ".sbd";
// Room kept for " (NN)" when a name is cut.
constexpr size_t kNumberRoom = 8;
// A part shorter than this is no name: the folder goes to the top instead.
constexpr size_t kMinPart = 24;

// One code point of UTF-8 at `at`; a byte that does not start valid UTF-8 comes back as
// itself, flagged, so that no two names merge.
struct CodePoint {
  char32_t value = 0;
  size_t length = 1;
  bool valid = true;
};

CodePoint decodeAt(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1, true};
  size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  if (length == 0 || at + length > text.size()) return {lead, 1, false};
  char32_t value = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {lead, 1, false};
    value = value << 6 | (byte(at + i) & 0x3F);
  }
  const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
  if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {lead, 1, false};
  return {value, length, true};
}

std::string hexEscape(char prefix, unsigned char byte) {
  static const char* const kHex = "0123456789abcdef";
  return {prefix, kHex[byte >> 4], kHex[byte & 0xF]};
}

// IMAP's modified base64 of UTF-16 code units, between "&" and "-".
void appendModifiedBase64(std::string& out, const std::u16string& units) {
  static const char* const kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";
  out += '&';
  uint32_t bits = 0;
  int count = 0;
  for (char16_t unit : units) {
    bits = bits << 16 | unit;
    count += 16;
    while (count >= 6) {
      count -= 6;
      out += kAlphabet[(bits >> count) & 0x3F];
    }
    bits &= (1u << count) - 1;
  }
  if (count > 0) out += kAlphabet[(bits << (6 - count)) & 0x3F];
  out += '-';
}

void appendUtf16(std::u16string& units, char32_t c) {
  if (c < 0x10000) {
    units.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    units.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    units.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

using Escape = std::string (*)(std::string_view);

// The longest escaped prefix of `name` (whole code points) that fits in `budget` bytes.
std::string fitted(std::string_view name, size_t budget, Escape escape) {
  std::string whole = escape(name);
  if (whole.size() <= budget) return whole;
  std::vector<size_t> ends;  // byte ends of each code point
  for (size_t at = 0; at < name.size(); at += decodeAt(name, at).length) ends.push_back(at);
  ends.push_back(name.size());
  size_t low = 0, high = ends.size() - 1;  // escape(prefix of `low` code points) fits
  while (low < high) {
    const size_t middle = (low + high + 1) / 2;
    if (escape(name.substr(0, ends[middle])).size() <= budget)
      low = middle;
    else
      high = middle - 1;
  }
  return escape(name.substr(0, ends[low]));
}

std::string lowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

class Namer {
 public:
  explicit Namer(ExportFormat format) : format_(format) {}

  std::string name(const std::string& parentPath, std::string_view folderName) {
    std::string base = parentPath;
    if (budgetUnder(base) < kMinPart) base.clear();
    std::string part = fitted(folderName, budgetUnder(base) - kNumberRoom, escape());
    if (part.empty()) part = "_";
    return claim(base, part);
  }

 private:
  Escape escape() const {
    return format_ == ExportFormat::Maildir ? maildirNamePart : mboxNamePart;
  }

  size_t budgetUnder(const std::string& base) const {
    if (format_ == ExportFormat::Maildir) {
      const size_t used = base.size() + 1;  // the "." in front
      return used < kMaxFileName ? kMaxFileName - used : 0;
    }
    const size_t used = base.empty() ? 0 : base.size() + kChildren.size() + 1;
    const size_t byPath = used < kMaxMboxPath ? kMaxMboxPath - used : 0;
    return std::min(byPath, kMaxFileName - kChildren.size());
  }

  std::string join(const std::string& base, const std::string& part) const {
    if (format_ == ExportFormat::Maildir) return base + "." + part;
    return base.empty() ? part : base + std::string(kChildren) + "/" + part;
  }

  bool isFree(const std::string& path) const {
    const std::string key = lowerAscii(path);
    if (taken_.count(key)) return false;
    return format_ == ExportFormat::Maildir || !taken_.count(key + std::string(kChildren));
  }

  std::string claim(const std::string& base, const std::string& part) {
    std::string path = join(base, part);
    if (!isFree(path)) {
      // Numbering goes on where the last repeat of this name stopped, so many folders of
      // one name cost no more than as many different names.
      size_t& next = nextNumber_[lowerAscii(path)];
      if (next < 2) next = 2;
      do {
        path = join(base, part + " (" + std::to_string(next++) + ")");
      } while (!isFree(path));
    }
    const std::string key = lowerAscii(path);
    taken_.insert(key);
    if (format_ == ExportFormat::Mbox) taken_.insert(key + std::string(kChildren));
    return path;
  }

  ExportFormat format_;
  std::unordered_set<std::string> taken_;
  std::unordered_map<std::string, size_t> nextNumber_;
};

}  // namespace

std::string maildirNamePart(std::string_view name) {
  std::string out;
  std::u16string run;  // characters waiting for modified base64
  const auto flush = [&] {
    if (!run.empty()) appendModifiedBase64(out, run);
    run.clear();
  };
  for (size_t at = 0; at < name.size();) {
    const CodePoint c = decodeAt(name, at);
    at += c.length;
    if (!c.valid) {
      // Not UTF-8: kept apart from every real character in the private use area.
      appendUtf16(run, 0xF700 + c.value);
    } else if (c.value >= 0x20 && c.value <= 0x7E) {
      flush();
      if (c.value == '&')
        out += "&-";
      else if (c.value == '.' || c.value == '/' || c.value == '\\')
        out += hexEscape('\\', char(c.value));
      else
        out += char(c.value);
    } else {
      appendUtf16(run, c.value);
    }
  }
  flush();
  return out;
}

std::string mboxNamePart(std::string_view name) {
  std::string out;
  for (size_t at = 0; at < name.size();) {
    const CodePoint c = decodeAt(name, at);
    const auto byte = static_cast<unsigned char>(name[at]);
    const bool escaped = !c.valid || c.value < 0x20 || c.value == 0x7F || c.value == '/' ||
                         c.value == '%' || (at == 0 && c.value == '.');
    if (escaped)
      out += hexEscape('%', byte);
    else
      out += name.substr(at, c.length);
    at += c.length;
  }
  return out;
}

std::vector<std::string> exportFolderNames(const std::vector<FolderToName>& folders,
                                           ExportFormat format) {
  Namer namer(format);
  std::unordered_map<FolderId, size_t> placed;
  std::vector<std::string> paths;
  paths.reserve(folders.size());
  for (const FolderToName& folder : folders) {
    const auto parent = folder.parentId == 0 ? placed.end() : placed.find(folder.parentId);
    const std::string parentPath = parent == placed.end() ? std::string() : paths[parent->second];
    paths.push_back(namer.name(parentPath, folder.name));
    placed.emplace(folder.id, paths.size() - 1);
  }
  return paths;
}

}  // namespace mailvane::store
