#include "store/Mboxrd.h"

#include <cstring>

#include "store/MessageEnvelope.h"

namespace mailvane::store {

namespace {

constexpr std::string_view kFrom = "From ";

// True for a line that reads ">>...From " (any number of ">", none included).
bool isQuotedFrom(std::string_view line) {
  size_t quotes = 0;
  while (quotes < line.size() && line[quotes] == '>') ++quotes;
  return line.substr(quotes).starts_with(kFrom);
}

// Calls each(line) for every line of text, each with its "\n" when it has one.
template <typename Each>
void forEachLine(std::string_view text, Each each) {
  size_t start = 0;
  while (start < text.size()) {
    const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
    const size_t end =
        found ? size_t(static_cast<const char*>(found) - text.data()) + 1 : text.size();
    each(text.substr(start, end - start));
    start = end;
  }
}

}  // namespace

std::string mboxFromLine(std::string_view sender, int64_t seconds) {
  std::string line = "From ";
  line += sender.empty() ? std::string_view("MAILER-DAEMON") : sender;
  line += ' ';
  line += asctimeUtc(seconds);
  line += '\n';
  return line;
}

void appendMboxrd(std::string& out, std::string_view message) {
  forEachLine(message, [&out](std::string_view line) {
    if (isQuotedFrom(line)) out += '>';
    out += line;
  });
  if (!message.ends_with('\n')) out += '\n';
  out += '\n';
}

std::string mboxReadBack(std::string_view message) {
  std::string back(message);
  if (!back.ends_with('\n')) back += '\n';
  return back;
}

void MboxSplitter::feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const void* found = std::memchr(bytes.data(), '\n', bytes.size());
    if (!found) {
      partial_ += bytes;
      return;
    }
    const size_t end = size_t(static_cast<const char*>(found) - bytes.data()) + 1;
    if (partial_.empty()) {
      line(bytes.substr(0, end));
    } else {
      partial_ += bytes.substr(0, end);
      line(partial_);
      partial_.clear();
    }
    bytes.remove_prefix(end);
  }
}

void MboxSplitter::finish() {
  if (!partial_.empty()) {
    line(partial_);
    partial_.clear();
  }
  endMessage();
}

void MboxSplitter::line(std::string_view text) {
  if (text.starts_with(kFrom)) {
    endMessage();
    inMessage_ = true;
    return;
  }
  // Bytes before the first "From " line belong to no message.
  if (!inMessage_) return;
  if (text.starts_with('>') && isQuotedFrom(text)) text.remove_prefix(1);
  message_ += text;
}

void MboxSplitter::endMessage() {
  if (!inMessage_) return;
  // The blank line the writer put after the message.
  const size_t size = message_.size();
  if (size >= 2 && message_[size - 1] == '\n' && message_[size - 2] == '\n')
    message_.pop_back();
  else if (size == 1 && message_[0] == '\n')
    message_.clear();
  sink_(std::move(message_));
  message_.clear();
  inMessage_ = false;
}

}  // namespace mailvane::store
