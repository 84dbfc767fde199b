#include "windows/frmAbout/SystemInfoTool.h"

#include <QProcess>
#include <QStandardPaths>

namespace mailvane {

const QStringList& SystemInfoTool::candidates() {
  // Dedicated hardware and system summaries first, general monitors last.
  static const QStringList names{QStringLiteral("hardinfo2"),
                                 QStringLiteral("hardinfo"),
                                 QStringLiteral("kinfocenter"),
                                 QStringLiteral("gnome-system-monitor"),
                                 QStringLiteral("xfce4-taskmanager"),
                                 QStringLiteral("lshw-gtk"),
                                 QStringLiteral("cpu-x")};
  return names;
}

QString SystemInfoTool::find() {
  for (const QString& name : candidates()) {
    const QString path = QStandardPaths::findExecutable(name);
    if (!path.isEmpty()) return path;
  }
  return {};
}

bool SystemInfoTool::start(const QString& program) {
  return !program.isEmpty() && QProcess::startDetached(program, {});
}

}  // namespace mailvane
