#pragma once
// Finds the desktop's system information program. Linux desktops ship different ones, so
// the first of a list of well-known programs found on PATH is taken.

#include <QString>
#include <QStringList>

namespace mailvane {

class SystemInfoTool {
 public:
  // Program names tried in order.
  static const QStringList& candidates();
  // The full path of the first candidate on PATH, or empty when none is installed.
  static QString find();
  // Starts the program detached from Mailvane; false when it cannot be started.
  static bool start(const QString& program);
};

}  // namespace mailvane
