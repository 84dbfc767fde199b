#pragma once
// Cuts a message at every "Content-Type:" and turns the segments that carry an encoded
// part (base64, 7bit, uuencode) into part records with their payload text. Payloads are
// not decoded here.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BoundarySet.h"
#include "engine/PartNames.h"
#include "engine/Records.h"

namespace mailvane::engine {

class PartScanner {
 public:
  // Told before each segment: its index and the index of the last segment.
  using SegmentHook = std::function<void(size_t index, size_t last)>;

  // The boundaries are the message's own; they must outlive the scanner.
  PartScanner(std::string_view message, const BoundarySet& boundaries);
  std::vector<std::shared_ptr<nlMail>> scan(const SegmentHook& onSegment);

  // The declared name of a segment: the first name= parameter (quoted or bare) on the
  // first line that has one; empty when there is none.
  static std::string declaredName(std::string_view segment);

 private:
  void scanSegment(std::string_view segment);
  void addBase64(std::string_view segment, const std::string& declared);
  void add7bit(std::string_view segment, const std::string& declared);
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

  std::string filtered_;       // the message without Content-Location lines, when it had any
  std::string_view text_;      // what the segments are cut from
  const BoundarySet& boundaries_;
  PartNames names_;
  std::vector<std::shared_ptr<nlMail>> records_;
};

}  // namespace mailvane::engine
