#include "windows/family/FamilyHelpers.h"

#include <QtEndian>

#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/AttachmentWriter.h"
#include "engine/SrParser.h"
#include "system/CodePage.h"

namespace mailvane {
namespace {

// Type tags of the tagged binary format.
enum BagTag : quint16 {
  kInteger = 2,   // 16-bit integer
  kLong = 3,      // 32-bit integer
  kSingle = 4,    // 32-bit float
  kDouble = 5,    // 64-bit float
  kString = 8,    // 16-bit length, then the bytes
  kBoolean = 11,  // 16-bit, 0 false, -1 true
};

template <typename T>
bool take(std::string_view& data, T& out) {
  if (data.size() < sizeof(T)) return false;
  std::memcpy(&out, data.data(), sizeof(T));
  out = qFromLittleEndian(out);
  data.remove_prefix(sizeof(T));
  return true;
}

}  // namespace

std::string FamilyHelpers::readWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return in.bad() ? std::string() : text;
}

void FamilyHelpers::save(const std::filesystem::path& path, std::string_view text) {
  engine::AttachmentWriter::writeText(path, text);
}

std::string FamilyHelpers::getit(std::string_view start, std::string_view end,
                                 std::string_view text) {
  return SrParser::Getit(start, end, text);
}

QVariant FamilyHelpers::loadBag(const std::filesystem::path& path) {
  const std::string bytes = readWhole(path);
  std::string_view data = bytes;
  quint16 tag = 0;
  if (!take(data, tag)) return {};
  switch (tag) {
    case kInteger: { qint16 v = 0; return take(data, v) ? QVariant(int(v)) : QVariant(); }
    case kLong: { qint32 v = 0; return take(data, v) ? QVariant(v) : QVariant(); }
    case kBoolean: { qint16 v = 0; return take(data, v) ? QVariant(v != 0) : QVariant(); }
    case kSingle: {
      quint32 raw = 0;
      if (!take(data, raw)) return {};
      float v = 0;
      std::memcpy(&v, &raw, sizeof v);
      return QVariant(v);
    }
    case kDouble: {
      quint64 raw = 0;
      if (!take(data, raw)) return {};
      double v = 0;
      std::memcpy(&v, &raw, sizeof v);
      return QVariant(v);
    }
    case kString: {
      quint16 length = 0;
      if (!take(data, length) || data.size() < length) return {};
      return QVariant(QString::fromStdString(system::toUtf8(data.substr(0, length))));
    }
    default:
      return {};
  }
}

}  // namespace mailvane
