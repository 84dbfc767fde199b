#include "engine/MimeStructure.h"

#include <cstring>
#include <optional>
#include <vector>

namespace mailvane::engine {
namespace {

struct Frame {
  std::string delimiter;  // "--" + boundary
  bool digest = false;
};

struct Delimiter {
  size_t lineStart = 0;
  size_t next = 0;  // the line after it
  size_t frame = 0;
  bool close = false;
};

bool isDelimiterOf(std::string_view line, const std::string& delimiter, bool& close) {
  if (!line.starts_with(delimiter)) return false;
  std::string_view rest = line.substr(delimiter.size());
  close = rest.starts_with("--");
  if (close) rest.remove_prefix(2);
  return rest.find_first_not_of(" \t") == std::string_view::npos;
}

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
        if (delimiter.size() > 2 && frames_.size() < MimeStructure::kMaxDepth)
          frames_.push_back(Frame{std::move(delimiter), type == "multipart/digest"});
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
        frames_.resize(next->frame);
        next = nextDelimiter(next->next);
      }
      if (!next) return;
      frames_.resize(next->frame + 1);
      pos = next->next;
      afterDelimiter = true;
    }
  }

 private:
  std::optional<Delimiter> matches(std::string_view line) const {
    if (line.size() < 2 || line[0] != '-' || line[1] != '-') return std::nullopt;
    for (size_t i = frames_.size(); i-- > 0;) {
      bool close = false;
      if (isDelimiterOf(line, frames_[i].delimiter, close)) return Delimiter{0, 0, i, close};
    }
    return std::nullopt;
  }

  std::optional<Delimiter> nextDelimiter(size_t from) const {
    if (frames_.empty()) return std::nullopt;
    for (size_t at = from; at < text_.size();) {
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
