#pragma once
// The plain records that flow between the parser and the windows, and the lists that
// hold them. Records are shared by reference between lists and windows.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/KeyedList.h"
#include "engine/SharedText.h"

namespace mailvane {

// One attachment or embedded part found in a message.
struct nlMail {
  std::string Filename;     // name the part is saved under (after Fixfilename)
  std::string OrgFilename;  // declared name, or "begin 6xx " + raw name for uuencode blocks
  std::string encoding;     // "Base64", "uuencode" or "7bit"
  SharedText BaseContent;   // encoded payload as cut from the message, sharing its bytes
  std::string contID;       // Content-ID with angle brackets, or empty
  // Found by the MIME structure pass rather than the pattern rules: `encoding` is then the
  // transfer encoding as the message states it, and the payload is decoded by that.
  bool fromStructure = false;
};

// One entry of a window's message list.
struct MSlivemsgs {
  std::string LiveFileID;  // full path of the message file, or a message number as text
  std::string Subject;     // the text shown for the message
};

// One web resource that answered with a size.
struct Onlineresult {
  std::string Link;
  int32_t Filesize = 0;
};

// The three list classes share one shape: a keyed list of shared records.
template <typename Record>
class RecordList {
 public:
  std::shared_ptr<Record> Add(std::shared_ptr<Record> record, std::string_view key = {}) {
    if (!list_.Add(record, key)) return nullptr;
    return record;
  }
  std::shared_ptr<Record> item(int64_t index) const { return deref(list_.item(index)); }
  std::shared_ptr<Record> item(std::string_view key) const { return deref(list_.item(key)); }
  int32_t Count() const { return list_.Count(); }
  bool Remove(int64_t index) { return list_.Remove(index); }
  bool Remove(std::string_view key) { return list_.Remove(key); }
  auto begin() const { return list_.begin(); }
  auto end() const { return list_.end(); }

 private:
  static std::shared_ptr<Record> deref(const std::shared_ptr<Record>* p) {
    return p ? *p : nullptr;
  }
  KeyedList<std::shared_ptr<Record>> list_;
};

using bodyFiles = RecordList<nlMail>;
using MSLIve = RecordList<MSlivemsgs>;
using onlinesoundcollection = RecordList<Onlineresult>;

}  // namespace mailvane
