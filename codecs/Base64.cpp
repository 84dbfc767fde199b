#include "codecs/Base64.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>

namespace mailvane {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 76;
constexpr std::string_view kLineBreak = "\r\n";

// Characters outside the alphabet decode to 0 and keep their place: stored messages
// with stray spaces must decode to the same bytes they always did.
constexpr std::array<uint8_t, 256> makeDecodeTable() {
  std::array<uint8_t, 256> table{};
  for (size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<uint8_t>(i);
  return table;
}
constexpr std::array<uint8_t, 256> kDecode = makeDecodeTable();

// The only characters that are dropped before decoding: "=" and the CR of a CR LF pair.
// One look-up tells the fast path whether a group of four needs the careful path.
constexpr std::array<bool, 256> makeDroppedTable() {
  std::array<bool, 256> table{};
  table['='] = true;
  table['\r'] = true;
  return table;
}
constexpr std::array<bool, 256> kMaybeDropped = makeDroppedTable();

size_t encodedLength(size_t bytes) { return (bytes + 2) / 3 * 4; }

size_t lineBrokenLength(size_t encoded) {
  if (encoded <= kLineLength) return encoded;
  return encoded + encoded / kLineLength * kLineBreak.size();
}

char* putLineBreak(char* o) { return std::copy(kLineBreak.begin(), kLineBreak.end(), o); }

inline void encodeGroup(const uint8_t* in, char* out) {
  const uint32_t v = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
  out[0] = kAlphabet[v >> 18];
  out[1] = kAlphabet[(v >> 12) & 63];
  out[2] = kAlphabet[(v >> 6) & 63];
  out[3] = kAlphabet[v & 63];
}

// Encodes a whole number of groups (the caller keeps the tail apart).
char* encodeGroups(const uint8_t* in, size_t groups, char* out) {
  for (size_t g = 0; g < groups; ++g, in += 3, out += 4) encodeGroup(in, out);
  return out;
}

char* encodeTail(const uint8_t* in, size_t count, char* out) {
  if (count == 0) return out;
  const uint8_t b0 = in[0];
  const uint8_t b1 = count == 2 ? in[1] : 0;
  *out++ = kAlphabet[b0 >> 2];
  *out++ = kAlphabet[((b0 & 3) << 4) | (b1 >> 4)];
  *out++ = count == 2 ? kAlphabet[(b1 & 15) << 2] : '=';
  *out++ = '=';
  return out;
}

// Encodes straight into the line-broken form: a full line without padding is 57 input
// bytes, so only the last line needs the padding rules.
std::string encodeLines(std::string_view bytes) {
  const size_t encoded = encodedLength(bytes.size());
  std::string out(lineBrokenLength(encoded), '\0');
  const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
  char* o = out.data();
  size_t remaining = bytes.size();
  if (encoded > kLineLength) {
    constexpr size_t lineBytes = kLineLength / 4 * 3;
    for (; remaining >= lineBytes; remaining -= lineBytes, in += lineBytes) {
      o = encodeGroups(in, kLineLength / 4, o);
      o = putLineBreak(o);
    }
  }
  o = encodeGroups(in, remaining / 3, o);
  o = encodeTail(in + remaining / 3 * 3, remaining % 3, o);
  // 55 or 56 bytes with their padding also fill a whole line.
  if (encoded > kLineLength && encodedLength(remaining) == kLineLength) {
    o = putLineBreak(o);
  }
  return out;
}

// Decodes with every CR LF pair and every "=" left out, in one pass. Full groups of four
// plain characters take the fast path; anything else goes through the pending group.
class GroupDecoder {
 public:
  explicit GroupDecoder(std::string_view text)
      : in_(reinterpret_cast<const uint8_t*>(text.data())), size_(text.size()) {
    out_.resize(size_ / 4 * 3 + 3);
  }

  std::optional<std::string> run() {
    size_t i = 0;
    while (i < size_) {
      if (pending_ == 0 && i + 4 <= size_ && plainGroup(in_ + i)) {
        writeGroup(kDecode[in_[i]], kDecode[in_[i + 1]], kDecode[in_[i + 2]], kDecode[in_[i + 3]]);
        i += 4;
        continue;
      }
      i = takeOne(i);
    }
    if (written_ == 0 && pending_ == 0) return std::nullopt;
    flushTail();
    out_.resize(written_);
    return std::move(out_);
  }

 private:
  static bool plainGroup(const uint8_t* p) {
    return !(kMaybeDropped[p[0]] | kMaybeDropped[p[1]] | kMaybeDropped[p[2]] | kMaybeDropped[p[3]]);
  }

  size_t takeOne(size_t i) {
    const uint8_t c = in_[i];
    if (c == '\r' && i + 1 < size_ && in_[i + 1] == '\n') return i + 2;
    if (c == '=') return i + 1;
    group_[pending_++] = kDecode[c];
    if (pending_ == 4) {
      writeGroup(group_[0], group_[1], group_[2], group_[3]);
      pending_ = 0;
    }
    return i + 1;
  }

  void writeGroup(uint8_t x0, uint8_t x1, uint8_t x2, uint8_t x3) {
    char* o = out_.data() + written_;
    o[0] = static_cast<char>((x0 << 2) | (x1 >> 4));
    o[1] = static_cast<char>(((x1 & 15) << 4) | (x2 >> 2));
    o[2] = static_cast<char>(((x2 & 3) << 6) | x3);
    written_ += 3;
  }

  // Three characters give two bytes, two give one; a lone character carries too few
  // bits for a byte and stands as a single zero byte.
  void flushTail() {
    if (pending_ == 0) return;
    const uint8_t x0 = group_[0];
    const uint8_t x1 = pending_ > 1 ? group_[1] : 0;
    const uint8_t x2 = pending_ > 2 ? group_[2] : 0;
    char* o = out_.data() + written_;
    if (pending_ == 1) {
      o[0] = '\0';
      written_ += 1;
      return;
    }
    o[0] = static_cast<char>((x0 << 2) | (x1 >> 4));
    if (pending_ == 3) o[1] = static_cast<char>(((x1 & 15) << 4) | (x2 >> 2));
    written_ += pending_ - 1;
  }

  const uint8_t* in_;
  size_t size_;
  std::string out_;
  size_t written_ = 0;
  uint8_t group_[4] = {0, 0, 0, 0};
  size_t pending_ = 0;
};

// Creates the file only if nothing of that name exists, in one step, so that no file
// appearing between a check and the creation can be overwritten (a symbolic link left
// at the path counts as existing too).
int createNewFile(const std::filesystem::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

std::string Base64::Encode(std::string_view text) const { return EncodeArr(text); }

std::string Base64::EncodeFromFile(const std::filesystem::path& file) const {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  const auto size = std::filesystem::file_size(file, ec);
  if (ec) return {};
  std::ifstream in(file, std::ios::binary);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return {};
  return EncodeArr(bytes);
}

std::string Base64::EncodeArr(std::string_view bytes) const {
  if (bytes.empty()) return {};
  return encodeLines(bytes);
}

std::optional<std::string> Base64::Decode(std::string_view text) const { return DecodeArr(text); }

std::optional<std::string> Base64::DecodeArr(std::string_view text) const {
  return GroupDecoder(text).run();
}

bool Base64::DecodeToFile(std::string_view text, const std::filesystem::path& file) const {
  const int fd = createNewFile(file);
  if (fd < 0) return false;
  // The file stays even when the payload turns out to be empty or a write fails: the
  // caller named a fresh path, and what was written up to the failure is kept.
  const std::optional<std::string> bytes = DecodeArr(text);
  const bool written = bytes && writeAll(fd, *bytes);
  const bool closed = ::close(fd) == 0;
  return written && closed;
}

}  // namespace mailvane
