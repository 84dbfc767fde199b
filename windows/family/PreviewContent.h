#pragma once
// What the preview page of one message serves: the parser's rebuilt HTML labelled with
// the charset its bytes are in (or, without HTML, its plain text in a small page) and the
// message's parts, decoded in memory, under the names the HTML refers to them by.

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

#include "engine/SrParser.h"

namespace mailvane {

class PreviewContent {
 public:
  struct Reply {
    QByteArray mimeType;
    QByteArray body;
  };

  explicit PreviewContent(std::shared_ptr<const SrParser> pars) : pars_(std::move(pars)) {}

  Reply page() const;
  // The part whose saved file name is name (exactly, else without regard to case), or
  // whose Content-ID is name; nullopt when none is, or it does not decode.
  std::optional<Reply> part(const QString& name) const;

 private:
  std::shared_ptr<const nlMail> find(const QString& name) const;
  static std::optional<std::string> decode(const nlMail& part);

  std::shared_ptr<const SrParser> pars_;
};

}  // namespace mailvane
