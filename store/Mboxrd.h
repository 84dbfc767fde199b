#pragma once
// The mboxrd form of an mbox file: each message after a "From " line, every line of it
// that starts with "From " behind any number of ">" given one more ">", and a blank line
// after it. Reading undoes exactly that, so the stored bytes come back, with one
// exception the format cannot carry: a message whose last line has no line end gets one.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mailvane::store {

// "From SENDER DATE\n"; SENDER "MAILER-DAEMON" when empty.
std::string mboxFromLine(std::string_view sender, int64_t seconds);

// Appends the message quoted, with its last line ended and the blank line after it.
void appendMboxrd(std::string& out, std::string_view message);

// What a reader gets back for a message: the message with its last line ended.
std::string mboxReadBack(std::string_view message);

// Splits mbox bytes, fed in pieces of any size, into messages with the quoting undone.
class MboxSplitter {
 public:
  using Sink = std::function<void(std::string message)>;
  explicit MboxSplitter(Sink sink) : sink_(std::move(sink)) {}

  void feed(std::string_view bytes);
  // Hands on the last message.
  void finish();

 private:
  void line(std::string_view text);  // with its "\n", if it has one
  void endMessage();

  Sink sink_;
  std::string partial_;  // a line not yet ended
  std::string message_;
  bool inMessage_ = false;
};

}  // namespace mailvane::store
