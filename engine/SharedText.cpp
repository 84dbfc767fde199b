#include "engine/SharedText.h"

#include <functional>
#include <ostream>

namespace mailvane {

SharedText::SharedText(std::string text) {
  auto owner = std::make_shared<const std::string>(std::move(text));
  view_ = *owner;
  owner_ = std::move(owner);
}

bool SharedText::holds(std::string_view piece) const {
  if (!owner_ || piece.empty()) return false;
  // Pointers into different objects are not ordered by <; std::less gives a total order.
  const std::less<const char*> before;
  const char* begin = view_.data();
  const char* end = begin + view_.size();
  return !before(piece.data(), begin) && !before(end, piece.data() + piece.size());
}

SharedText SharedText::slice(std::string_view piece) const {
  if (piece.empty()) return {};
  if (holds(piece)) return SharedText(owner_, piece);
  return SharedText(piece);
}

std::ostream& operator<<(std::ostream& out, const SharedText& text) {
  return out << text.view_;
}

}  // namespace mailvane
