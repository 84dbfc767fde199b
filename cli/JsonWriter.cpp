#include "cli/JsonWriter.h"

#include <cstdio>

namespace mailvane::cli {

std::string jsonString(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  out.push_back('"');
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20 || u == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", u);
          out += buf;
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
  return out;
}

void JsonWriter::separator() {
  if (!first_) out_ << ',';
  if (depth_ > 0) out_ << '\n' << std::string(static_cast<size_t>(depth_) * 2, ' ');
  first_ = false;
}

void JsonWriter::keyPart(std::string_view key) {
  separator();
  if (!key.empty()) out_ << jsonString(key) << ": ";
}

void JsonWriter::beginObject() {
  if (depth_ > 0) separator();
  out_ << '{';
  ++depth_;
  first_ = true;
}

void JsonWriter::endObject() {
  --depth_;
  out_ << '\n' << std::string(static_cast<size_t>(depth_) * 2, ' ') << '}';
  first_ = false;
  if (depth_ == 0) out_ << '\n';
}

void JsonWriter::beginArray(std::string_view key) {
  keyPart(key);
  out_ << '[';
  ++depth_;
  first_ = true;
}

void JsonWriter::endArray() {
  --depth_;
  if (!first_) out_ << '\n' << std::string(static_cast<size_t>(depth_) * 2, ' ');
  out_ << ']';
  first_ = false;
}

void JsonWriter::field(std::string_view key, std::string_view utf8Value) {
  keyPart(key);
  out_ << jsonString(utf8Value);
}

}  // namespace mailvane::cli
