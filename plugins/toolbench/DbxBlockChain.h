#pragma once
// The text of a message: a linked chain of 0x210-byte blocks, each carrying up to 0x200
// bytes. The raw message is the blocks' text in chain order, nothing added or removed.

#include <cstdint>
#include <string>

#include "plugins/toolbench/DbxSource.h"

namespace mailvane::dbx {

struct DbxChainResult {
  uint64_t length = 0;  // bytes of text read, whether or not the chain was whole
  bool complete = false;
  std::string error;  // why the chain broke off, when it did
};

// Follows the chain from `first`, appending the text to `text` unless it is null (then
// only the length is measured, reading just the block headers).
DbxChainResult readBlockChain(DbxSource& source, uint32_t first, std::string* text);

}  // namespace mailvane::dbx
