#include "engine/MimeStructure.h"

#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mailvane::engine {
namespace {

constexpr size_t kNoFrame = static_cast<size_t>(-1);

struct Frame {
  std::string delimiter;  // "--" + boundary
  bool digest = false;
  size_t shadowed = kNoFrame;  // an enclosing frame with the same delimiter
};

struct ViewHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct Delimiter {
  size_t lineStart = 0;
  size_t next = 0;  // the line after it
  size_t frame = 0;
  bool close = false;
};

class Walker {
 public:
  Walker(std::string_view text, const std::function<void(const MimeLeaf&)>& onLeaf)
      : text_(text), lines_(text), onLeaf_(onLeaf) {}

  void run() {
    size_t pos = 0;
    bool top = true;
    bool afterDelimiter = false;  // the entity is a part of the innermost multipart
    for (;;) {
      const bool inDigest = afterDelimiter && frames_.back().digest;
      const MimeHeader header = MimeHeader::read(
          lines_, pos, top, [this](std::string_view line) { return matches(line).has_value(); });
      top = false;
      afterDelimiter = false;
      std::string type = MimeStructure::typeOf(header, inDigest);
      std::optional<Delimiter> next;
      if (type.starts_with("multipart/")) {
        const auto boundary = MimeParams(header.contentType).get("boundary");
        std::string delimiter = boundary ? "--" + *boundary : std::string();
        while (!delimiter.empty() && (delimiter.back() == ' ' || delimiter.back() == '\t'))
          delimiter.pop_back();
        if (delimiter.size() > 2) push(std::move(delimiter), type == "multipart/digest");
        // Without a usable boundary the parts cannot be told apart; the text up to the
        // next boundary of an enclosing multipart is passed over.
        next = nextDelimiter(header.bodyStart);
      } else if (type.starts_with("message/") && type != "message/delivery-status" &&
                 header.bodyStart > pos) {
        // An attached message: its own header and body follow.
        pos = header.bodyStart;
        continue;
      } else {
        next = nextDelimiter(header.bodyStart);
        const size_t bodyEnd = next ? bodyEndBefore(header.bodyStart, next->lineStart) : text_.size();
        MimeLeaf leaf{header, std::move(type),
                      text_.substr(header.bodyStart, bodyEnd - std::min(bodyEnd, header.bodyStart))};
        onLeaf_(leaf);
      }
      // Past the closing boundaries (and the epilogues after them) to the next part.
      while (next && next->close) {
        popTo(next->frame);
        next = nextDelimiter(next->next);
      }
      if (!next) return;
      popTo(next->frame + 1);
      pos = next->next;
      afterDelimiter = true;
    }
  }

 private:
  void push(std::string delimiter, bool digest) {
    const size_t index = frames_.size();
    const auto [it, fresh] = innermost_.try_emplace(delimiter, index);
    const size_t shadowed = fresh ? kNoFrame : std::exchange(it->second, index);
    frames_.push_back(Frame{std::move(delimiter), digest, shadowed});
  }

  void popTo(size_t size) {
    while (frames_.size() > size) {
      const Frame& frame = frames_.back();
      if (frame.shadowed == kNoFrame)
        innermost_.erase(frame.delimiter);
      else
        innermost_.find(frame.delimiter)->second = frame.shadowed;
      frames_.pop_back();
    }
  }

  // A boundary line is a delimiter, optionally followed by "--" (closing) and spaces or
  // tabs; the innermost multipart it can belong to takes it. Looked up rather than
  // compared with every enclosing delimiter, so deep nesting costs nothing per line.
  std::optional<Delimiter> matches(std::string_view line) const {
    if (line.size() < 2 || line[0] != '-' || line[1] != '-' || innermost_.empty())
      return std::nullopt;
    line = line.substr(0, line.find_last_not_of(" \t") + 1);
    std::optional<Delimiter> hit;
    if (const auto it = innermost_.find(line); it != innermost_.end())
      hit = Delimiter{0, 0, it->second, false};
    if (line.ends_with("--")) {
      const auto it = innermost_.find(line.substr(0, line.size() - 2));
      if (it != innermost_.end() && (!hit || it->second > hit->frame))
        hit = Delimiter{0, 0, it->second, true};
    }
    return hit;
  }

  // `from` is the start of a line. Only lines that open with "--" can be boundary
  // lines, so the search jumps with memchr from one "-" to the next: base64 bodies hold
  // none at all, and text few.
  std::optional<Delimiter> nextDelimiter(size_t from) const {
    if (frames_.empty()) return std::nullopt;
    const char lineEnd = lines_.lineEnd();
    const char* const data = text_.data();
    const size_t size = text_.size();
    for (size_t at = from; at < size;) {
      if (text_.compare(at, 2, "--") != 0) {
        size_t dash = at;
        for (;;) {
          const void* hit = std::memchr(data + dash, '-', size - dash);
          if (!hit) return std::nullopt;
          dash = static_cast<size_t>(static_cast<const char*>(hit) - data);
          if (dash + 1 < size && data[dash + 1] == '-' && data[dash - 1] == lineEnd) break;
          dash += 1;
        }
        at = dash;
      }
      const MimeLine line = lines_.at(at);
      if (auto hit = matches(line.text)) {
        hit->lineStart = line.start;
        hit->next = line.next;
        return hit;
      }
      at = line.next;
    }
    return std::nullopt;
  }

  size_t bodyEndBefore(size_t bodyStart, size_t lineStart) const {
    if (lineStart <= bodyStart) return bodyStart;
    return std::max(bodyStart, lines_.endBefore(lineStart));
  }

  std::string_view text_;
  MimeLines lines_;
  const std::function<void(const MimeLeaf&)>& onLeaf_;
  std::vector<Frame> frames_;
  // Each delimiter in use, with the innermost frame that has it.
  std::unordered_map<std::string, size_t, ViewHash, std::equal_to<>> innermost_;
};

}  // namespace

std::string MimeStructure::typeOf(const MimeHeader& header, bool inDigest) {
  if (header.contentType.data() == nullptr) return inDigest ? "message/rfc822" : "text/plain";
  std::string type = MimeParams(header.contentType).mainValue();
  size_t slashes = 0;
  for (const char c : type) slashes += c == '/';
  return slashes == 1 ? type : "text/plain";
}

void MimeStructure::walk(std::string_view text,
                         const std::function<void(const MimeLeaf&)>& onLeaf) {
  Walker(text, onLeaf).run();
}

}  // namespace mailvane::engine
