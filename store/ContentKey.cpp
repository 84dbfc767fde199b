#include "store/ContentKey.h"

#include <glib.h>

namespace mailvane::store {

std::string contentKey(std::string_view bytes, std::string_view more) {
  GChecksum* checksum = g_checksum_new(G_CHECKSUM_MD5);
  // Fed in pieces: g_checksum_update takes a signed length.
  for (std::string_view piece : {bytes, more}) {
    constexpr size_t kPiece = size_t(1) << 30;
    for (size_t at = 0; at < piece.size(); at += kPiece) {
      const std::string_view part = piece.substr(at, kPiece);
      g_checksum_update(checksum, reinterpret_cast<const guchar*>(part.data()),
                        static_cast<gssize>(part.size()));
    }
  }
  std::string key = g_checksum_get_string(checksum);
  g_checksum_free(checksum);
  return key;
}

}  // namespace mailvane::store
