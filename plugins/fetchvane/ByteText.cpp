#include "plugins/fetchvane/ByteText.h"

#include <QLocale>

namespace mailvane::fetchvane {

QString bytesText(qint64 bytes) {
  static const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  // Whole bytes, one decimal below 100 of a unit, none above: three figures at most.
  const int decimals = unit == 0 || value >= 100 ? 0 : 1;
  return QStringLiteral("%1 %2").arg(QLocale::c().toString(value, 'f', decimals),
                                     QLatin1String(units[unit]));
}

QString speedText(double bytesPerSecond) {
  return bytesText(static_cast<qint64>(bytesPerSecond)) + QStringLiteral("/s");
}

}  // namespace mailvane::fetchvane
