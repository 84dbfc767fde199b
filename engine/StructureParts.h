#pragma once
// StructureParts: records for the parts that the pattern rules leave out. After the
// rules' walk, every leaf of the message's MIME tree whose body no record holds yet gets
// a record of its own, except the message's text and HTML bodies, so that no attachment
// or embedded picture of a well-formed message is lost, whatever its capitals, line ends,
// transfer encoding or name.

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/MimeStructure.h"
#include "engine/PartNames.h"
#include "engine/Records.h"
#include "engine/SharedText.h"

namespace mailvane::engine {

class StructureParts {
 public:
  // `held` are the stored ranges [first, last) of the payloads the rules recorded.
  StructureParts(const SharedText& stored, std::vector<std::pair<size_t, size_t>> held,
                 PartNames& names);
  std::vector<std::shared_ptr<nlMail>> collect();

  // The extension a nameless part of this type is saved with (".png", ".bin").
  static std::string_view extensionFor(std::string_view type);
  // The encoded payload of a leaf: the body, or for uuencode the lines between its
  // "begin" and "end" lines.
  static std::string_view payloadOf(std::string_view body, std::string_view encoding);
  // Whether a stated transfer encoding is one of the names of uuencode.
  static bool isUuencode(std::string_view encoding);

 private:
  void add(const MimeLeaf& leaf);
  // The range with white space at both ends left out, as stored offsets.
  std::pair<size_t, size_t> trimmedRange(std::string_view piece) const;
  // Whether a payload the rules recorded lies within the range.
  bool containsHeld(std::pair<size_t, size_t> range) const;

  SharedText stored_;
  std::set<std::pair<size_t, size_t>> held_;
  PartNames& names_;
  std::vector<std::shared_ptr<nlMail>> records_;
};

}  // namespace mailvane::engine
