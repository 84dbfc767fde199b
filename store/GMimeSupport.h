#pragma once
// GMime set-up and ownership helpers. GMime is initialised once per process on first use
// and never shut down: other parts of a process may still hold GMime objects at exit.

#include <memory>
#include <string>

#include <gmime/gmime.h>

namespace mailvane::store {

// Initialises GMime (once) and returns the parser options every parse uses: 8-bit text
// that declares no charset is read as UTF-8 when valid, else in the active code page.
GMimeParserOptions* parserOptions();

struct GObjectUnref {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes a g_malloc'd string: its text (empty for null), and frees it.
std::string takeGString(char* text);

// Header text with encoded words decoded, as UTF-8.
std::string decodeHeaderText(const std::string& raw);

}  // namespace mailvane::store
