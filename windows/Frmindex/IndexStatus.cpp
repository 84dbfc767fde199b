#include "windows/Frmindex/IndexStatus.h"

#include <QDateTime>
#include <QLocale>

namespace mailvane {
namespace {

QString utf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString holds(int64_t messages) {
  return messages == 1 ? QStringLiteral("The index holds 1 message")
                       : QStringLiteral("The index holds %1 messages")
                             .arg(QLocale().toString(static_cast<qlonglong>(messages)));
}

}  // namespace

QString IndexStatus::text() const {
  if (!searchError.empty()) return QStringLiteral("The search failed: %1.").arg(utf8(searchError));
  QString line;
  if (!notice.empty()) {
    line = utf8(notice) + QStringLiteral(". ");
    line[0] = line[0].toUpper();
  }
  if (messages) {
    line += holds(*messages);
    if (lastUpdate) {
      const QDateTime when = QDateTime::fromSecsSinceEpoch(*lastUpdate);
      line += QStringLiteral(", brought up to date %1.")
                  .arg(QLocale().toString(when, QLocale::ShortFormat));
    } else {
      line += QStringLiteral(", not yet brought up to date.");
    }
  }
  if (scanning)
    line += QStringLiteral(" Updating the index: %1 files looked at.")
                .arg(QLocale().toString(static_cast<qulonglong>(seen)));
  else if (!scanError.empty())
    line += QStringLiteral(" The index could not be brought up to date: %1.").arg(utf8(scanError));
  return line.trimmed();
}

}  // namespace mailvane
