#include "store/GMimeSupport.h"

#include <mutex>

#include "system/CodePage.h"

namespace mailvane::store {

GMimeParserOptions* parserOptions() {
  static GMimeParserOptions* options = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    g_mime_init();
    options = g_mime_parser_options_new();
    static const std::string codePage = system::activeCodePage();
    const char* charsets[] = {"UTF-8", codePage.c_str(), nullptr};
    g_mime_parser_options_set_fallback_charsets(options, charsets);
  });
  return options;
}

std::string takeGString(char* text) {
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

std::string decodeHeaderText(const std::string& raw) {
  if (raw.empty()) return {};
  return takeGString(g_mime_utils_header_decode_text(parserOptions(), raw.c_str()));
}

}  // namespace mailvane::store
