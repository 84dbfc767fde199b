#pragma once
// Temporary folders of message files for the index tests.

#include <string>

#include "tests/cli/CliTestSupport.h"

namespace mailvane::testing {

// A small stored message with the given raw Subject value.
inline void writeMessage(const fs::path& path, const std::string& subject,
                         const std::string& body = "Hello.\r\n") {
  writeBytes(path, "From: ann@example.org\r\nNewsgroups: alt.test\r\nSubject: " + subject +
                       "\r\nMIME-Version: 1.0\r\n\r\n" + body);
}

}  // namespace mailvane::testing
