#pragma once
// Sizes and speeds as people read them in a downloads list.

#include <QString>

namespace mailvane::fetchvane {

// "0 B", "999 B", "1.5 KB", "12.3 MB", "1.2 GB" (units of 1024).
QString bytesText(qint64 bytes);
// bytesText per second.
QString speedText(double bytesPerSecond);

}  // namespace mailvane::fetchvane
