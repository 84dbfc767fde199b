#include "plugins/fetchvane/DownloadName.h"

#include <QByteArray>

namespace mailvane::fetchvane {

namespace {

// Leaves room below the usual 255-byte limit for a free-name number and ".part".
constexpr qsizetype kMaxNameBytes = 200;

// Characters that cannot stand in a file name here or on the FAT and NTFS drives the
// downloads may be copied to.
bool isForbidden(QChar c) {
  static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
  return c.unicode() < 0x20 || c.unicode() == 0x7f || forbidden.contains(c);
}

QString replaceForbidden(const QString& name) {
  QString out = name;
  for (QChar& c : out) {
    if (isForbidden(c)) c = QLatin1Char('_');
  }
  return out;
}

// Leading dots would hide the file or name the folder itself or its parent; trailing dots
// and spaces are dropped by other systems and would make two names collide there.
QString trimDotsAndSpaces(const QString& name) {
  qsizetype begin = 0;
  qsizetype end = name.size();
  while (begin < end && (name[begin] == QLatin1Char('.') || name[begin].isSpace())) ++begin;
  while (end > begin && (name[end - 1] == QLatin1Char('.') || name[end - 1].isSpace())) --end;
  return name.mid(begin, end - begin);
}

// Shortens from the front of the name so the extension, which says what the file is,
// survives; never cuts a surrogate pair in two.
QString limitLength(const QString& name) {
  if (name.toUtf8().size() <= kMaxNameBytes) return name;
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  QString extension = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
  QString stem = name.left(name.size() - extension.size());
  while (!stem.isEmpty() && (stem + extension).toUtf8().size() > kMaxNameBytes) {
    stem.chop(stem.size() >= 2 && stem.back().isLowSurrogate() ? 2 : 1);
  }
  return stem + extension;
}

}  // namespace

bool isFetchable(const QUrl& url) {
  const QString scheme = url.scheme();
  return url.isValid() && !url.host().isEmpty() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString cleanFileName(const QString& name) {
  QString cleaned = limitLength(trimDotsAndSpaces(replaceForbidden(name)));
  return cleaned.isEmpty() ? QString::fromLatin1(kFallbackFileName) : cleaned;
}

QString fileNameForLink(const QUrl& url) {
  // Split the encoded path so that an encoded "/" stays inside its segment.
  const QString path = url.path(QUrl::FullyEncoded);
  const QString segment = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  return cleanFileName(QUrl::fromPercentEncoding(segment.toLatin1()));
}

}  // namespace mailvane::fetchvane
