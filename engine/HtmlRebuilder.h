#pragma once
// Rebuilds a stand-alone HTML document from a stored message: cuts out the first HTML
// document, drops base tags and the mail client's saved-from comment, and points
// "cid:" references at the files the parts are saved under.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mailvane::engine {

class HtmlRebuilder {
 public:
  // The first document from "<html" (any case) through "</html>", or from "<htm" through
  // "</htm>"; nullopt when the text has no such start tag. decodeCut tells whether the
  // cut text is quoted-printable; an unclosed document that starts late stays the whole
  // text and is never decoded.
  template <typename Decoder>
  static std::optional<std::string> cutDocument(std::string_view text, Decoder decodeCut);

  // The decoded body of the first text/html part sent in base64, for messages whose
  // raw text holds no HTML; nullopt when there is none.
  static std::optional<std::string> base64HtmlBody(std::string_view message);

  // Removes every base tag ("<base " through the next ">", any case). nullopt when a
  // base tag is not closed, so the caller keeps its text.
  static std::optional<std::string> removeBase(std::string_view html);
  // Removes the saved-from comment that marks stored pages as coming from the Internet.
  static std::string removeMarkOfTheWeb(std::string_view html);
  // Base tags and saved-from comment removed, as done to every cut document.
  static std::string clean(std::string html);

  // Each pair is (Content-ID with or without angle brackets, file name), in part order.
  // Every "cid:" + Content-ID is replaced by the file name; where Content-IDs overlap,
  // the earliest part wins, as if each part's references were replaced in turn.
  static std::string fixCid(std::string_view html,
                            const std::vector<std::pair<std::string, std::string>>& parts);

 private:
  struct Cut {
    size_t start = 0;
    size_t length = 0;
    bool whole = false;  // no cut possible: the text stays whole, not decoded
  };
  static std::optional<Cut> findDocument(std::string_view text);
};

template <typename Decoder>
std::optional<std::string> HtmlRebuilder::cutDocument(std::string_view text,
                                                      Decoder decodeCut) {
  const auto cut = findDocument(text);
  if (!cut) return std::nullopt;
  if (cut->whole) return clean(std::string(text));
  return clean(decodeCut(text.substr(cut->start, cut->length)));
}

}  // namespace mailvane::engine
