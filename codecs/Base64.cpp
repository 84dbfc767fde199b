#include "codecs/Base64.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>

#include "codecs/Base64Decoder.h"
#include "system/FileUtil.h"

namespace mailvane {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 76;
constexpr std::string_view kLineBreak = "\r\n";

size_t encodedLength(size_t bytes) { return (bytes + 2) / 3 * 4; }

size_t lineBrokenLength(size_t encoded) {
  if (encoded <= kLineLength) return encoded;
  return encoded + encoded / kLineLength * kLineBreak.size();
}

char* putLineBreak(char* o) { return std::copy(kLineBreak.begin(), kLineBreak.end(), o); }

// Every 12-bit value as its two characters, so a group of three bytes is two look-ups.
using CharPair = std::array<char, 2>;
constexpr std::array<CharPair, 4096> makePairTable() {
  std::array<CharPair, 4096> table{};
  for (size_t v = 0; v < table.size(); ++v) table[v] = {kAlphabet[v >> 6], kAlphabet[v & 63]};
  return table;
}
constexpr std::array<CharPair, 4096> kPairs = makePairTable();

inline void encodeGroup(const uint8_t* in, char* out) {
  const uint32_t v = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
  std::memcpy(out, kPairs[v >> 12].data(), 2);
  std::memcpy(out + 2, kPairs[v & 0xFFF].data(), 2);
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

// Creates the file only if nothing of that name exists, in one step, so that no file
// appearing between a check and the creation can be overwritten (a symbolic link left
// at the path counts as existing too).
int createNewFile(const std::filesystem::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

using system::writeAll;

// Decodes piece by piece straight into the file: a large attachment needs neither a
// second buffer of its full size nor the memory traffic of one.
bool decodeInto(int fd, std::string_view text, bool* sawData = nullptr) {
  // Small enough to stay in the processor's cache between decoding and writing, and
  // left uninitialised: every byte written out is decoded first.
  constexpr size_t kChunkChars = size_t{1} << 16;
  // Room for the last group's tail too, so the last piece goes out in the same write.
  constexpr size_t kTail = 2;
  const auto buffer = std::make_unique_for_overwrite<char[]>(
      detail::Base64Decoder::maxDecodedSize(kChunkChars) + kTail);
  detail::Base64Decoder decoder(text);
  size_t pending = 0;
  while (!decoder.done()) {
    if (pending > 0 && !writeAll(fd, {buffer.get(), pending})) return false;
    pending = decoder.decodeUntil(decoder.position() + kChunkChars, buffer.get());
  }
  if (sawData) *sawData = decoder.sawData();
  if (!decoder.sawData()) return sawData != nullptr;
  pending += decoder.finish(buffer.get() + pending);
  return writeAll(fd, {buffer.get(), pending});
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
  detail::Base64Decoder decoder(text);
  std::string out(detail::Base64Decoder::maxDecodedSize(text.size()), '\0');
  size_t n = decoder.decodeUntil(text.size(), out.data());
  if (!decoder.sawData()) return std::nullopt;
  n += decoder.finish(out.data() + n);
  out.resize(n);
  return out;
}

bool Base64::DecodeToDescriptor(std::string_view text, int fd) const {
  bool sawData = false;
  return decodeInto(fd, text, &sawData);
}

bool Base64::DecodeToFile(std::string_view text, const std::filesystem::path& file) const {
  const int fd = createNewFile(file);
  if (fd < 0) return false;
  // The file stays even when the payload turns out to be empty or a write fails: the
  // caller named a fresh path, and what was written up to the failure is kept.
  const bool written = decodeInto(fd, text);
  const bool closed = ::close(fd) == 0;
  return written && closed;
}

}  // namespace mailvane
