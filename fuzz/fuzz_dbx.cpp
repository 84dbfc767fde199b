// Any bytes as a .dbx message folder and as a folder list: every message and subject is
// read, in index order and backwards, so the counted random access is exercised too.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "plugins/toolbench/DbxFolderList.h"
#include "plugins/toolbench/DbxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  using namespace mailvane::dbx;
  DbxReader reader;
  if (reader.open(std::make_unique<DbxMemorySource>(bytes))) {
    const uint32_t count = reader.count();
    for (uint32_t i = 0; i < count && i < 256; ++i) {
      const DbxMessage message = reader.message(i);
      if (message.complete && message.text.size() != message.length) __builtin_trap();
      (void)reader.subject(count - 1 - i);
      (void)reader.measure(count - 1 - i);
    }
  }
  DbxMemorySource source(bytes);
  (void)readFolderList(source);
  return 0;
}
