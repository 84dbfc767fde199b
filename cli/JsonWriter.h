#pragma once
// Just enough JSON for `mailvane show --json`: one object of strings, arrays of strings
// and arrays of objects, written as it is built.

#include <ostream>
#include <string>
#include <string_view>

namespace mailvane::cli {

// The JSON string literal (quotes included) of UTF-8 text.
std::string jsonString(std::string_view utf8);

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  void beginObject();
  void endObject();
  void beginArray(std::string_view key);  // key empty inside an array
  void endArray();
  void field(std::string_view key, std::string_view utf8Value);  // key empty in an array

 private:
  void separator();
  void keyPart(std::string_view key);
  std::ostream& out_;
  bool first_ = true;  // no comma before the first member of the open container
  int depth_ = 0;
};

}  // namespace mailvane::cli
