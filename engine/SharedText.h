#pragma once
// SharedText: read-only bytes shared by everyone who holds a piece of them. A message
// can run to tens of megabytes and its parts fill most of it, so the parser keeps the
// message once and every part record holds a slice of that same buffer instead of a
// copy of its payload. A slice keeps the whole buffer alive, so a record stays valid
// after the parser has been given the next message or has gone.

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace mailvane {

class SharedText {
 public:
  SharedText() = default;
  // Takes the bytes over; a moved-in string is not copied.
  // Implicit, so that a message is handed over like a string.
  SharedText(std::string text);
  SharedText(const char* text) : SharedText(std::string(text)) {}
  explicit SharedText(std::string_view text) : SharedText(std::string(text)) {}
  // Bytes that stay valid as long as owner lives (a file read into memory, say).
  SharedText(std::shared_ptr<const void> owner, std::string_view bytes)
      : owner_(std::move(owner)), view_(bytes) {}

  // The bytes of `piece`, which must lie within view(), sharing this buffer. A piece
  // from elsewhere is copied instead, so the result is always
  // safe to keep.
  SharedText slice(std::string_view piece) const;
  // Whether `piece` lies within these bytes, so slice() can share rather than copy.
  bool holds(std::string_view piece) const;

  std::string_view view() const { return view_; }
  operator std::string_view() const { return view_; }
  const char* data() const { return view_.data(); }
  size_t size() const { return view_.size(); }
  bool empty() const { return view_.empty(); }
  std::string str() const { return std::string(view_); }

  friend bool operator==(const SharedText& a, std::string_view b) { return a.view_ == b; }
  friend std::ostream& operator<<(std::ostream& out, const SharedText& text);

 private:
  std::shared_ptr<const void> owner_;
  std::string_view view_;
};

}  // namespace mailvane
