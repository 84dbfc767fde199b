#pragma once
// How a link becomes a file name inside the folder it is downloaded to.

#include <QString>
#include <QUrl>

namespace mailvane::fetchvane {

// The name used when a link has no usable last path segment.
inline constexpr char kFallbackFileName[] = "download";

// True for the schemes the plug-in fetches: http and https.
bool isFetchable(const QUrl& url);

// The link's last path segment, percent-decoded and made safe as one file name: no path
// separators or control characters, no name of only dots, never empty, short enough to
// leave room for a number and a temporary suffix.
QString fileNameForLink(const QUrl& url);

// The same cleaning for a name that is already decoded.
QString cleanFileName(const QString& name);

}  // namespace mailvane::fetchvane
