#pragma once
// Cuts a message at every "Content-Type:" and turns the segments that carry an encoded
// part (base64, 7bit, uuencode) into part records with their payload text. Payloads are
// not decoded here, nor copied when the message is shared: a record's payload is a slice
// of the message's own bytes.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BoundarySet.h"
#include "engine/PartNames.h"
#include "engine/Records.h"
#include "engine/SharedText.h"

namespace mailvane::engine {

class PartScanner {
 public:
  // Told before each segment: its index and the index of the last segment.
  using SegmentHook = std::function<void(size_t index, size_t last)>;

  // `scanned` is the message as the rules read it (CR LF line ends, Content-Location lines
  // left out); payloads are slices of it. The boundaries and names must outlive the
  // scanner; names are shared with the parts found after the rules' walk.
  PartScanner(const SharedText& scanned, const BoundarySet& boundaries, PartNames& names);
  std::vector<std::shared_ptr<nlMail>> scan(const SegmentHook& onSegment);

  // The declared name of a segment: the first name= parameter (quoted or bare) on the
  // first line that has one (empty for name=""); nullopt when no line has one.
  static std::optional<std::string> declaredName(std::string_view segment);

 private:
  void scanSegment(std::string_view segment);
  using PayloadFn = std::string_view (PartScanner::*)(std::string_view segment, size_t from) const;
  // A base64 or 7bit part: a record only when the part declares a name.
  void addEncoded(std::string_view segment, const std::optional<std::string>& declared,
                  std::string_view encodingHeader, const char* encoding, PayloadFn payload);
  void addUuencode(std::string_view segment, const std::string& declared);
  // Returns where the block's data ends.
  size_t addUuencodeBlock(std::string_view segment, size_t begin);
  std::shared_ptr<nlMail> makeRecord(std::string_view segment, size_t encodingHeader,
                                     const std::string& declared, const char* encoding);
  std::string claimName(std::string_view cleanedName);

  std::string_view base64Payload(std::string_view segment, size_t from) const;
  std::string_view sevenBitPayload(std::string_view segment, size_t from) const;
  std::string_view uuencodePayload(std::string_view segment, size_t from,
                                   size_t* stopLine = nullptr) const;

  // What the segments are cut from and payloads share.
  SharedText text_;
  const BoundarySet& boundaries_;
  PartNames& names_;
  std::vector<std::shared_ptr<nlMail>> records_;
};

}  // namespace mailvane::engine
