#include "windows/shell/GivenPaths.h"

#include <QDir>
#include <QFileInfo>

#include "controls/MsgBox.h"
#include "windows/FrmDbxExtract/FrmDbxExtract.h"
#include "windows/FrmLive/FolderBrowser.h"
#include "windows/FrmLive/FrmLive.h"
#include "windows/shell/WindowRegistry.h"

namespace mailvane {

GivenPaths::Kind GivenPaths::kindOf(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return Kind::Missing;
  if (info.isDir()) return Kind::Folder;
  const QString suffix = info.suffix().toLower();
  if (suffix == QLatin1String("dbx")) return Kind::Dbx;
  if (suffix == QLatin1String("eml") || suffix == QLatin1String("nws")) return Kind::Message;
  return Kind::Other;
}

void GivenPaths::open(WindowRegistry& windows, const QStringList& paths, QWidget* boxParent) {
  QStringList problems;
  for (const QString& path : paths)
    if (const QString problem = openOne(windows, path); !problem.isEmpty()) problems << problem;
  if (!problems.isEmpty())
    MsgBox::show(boxParent, problems.join(QLatin1Char('\n')), QMessageBox::Warning);
}

QString GivenPaths::openOne(WindowRegistry& windows, const QString& path) {
  const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  const Kind kind = kindOf(path);
  switch (kind) {
    case Kind::Missing:
      return QStringLiteral("%1 does not exist.").arg(path);
    case Kind::Other:
      return QStringLiteral("%1 is not a .dbx, .eml or .nws file or a folder.").arg(path);
    case Kind::Dbx: {
      // The window names a file it cannot read itself.
      if (auto* dbx = qobject_cast<FrmDbxExtract*>(windows.show(QStringLiteral("FrmDbxExtract"))))
        dbx->openDbx(absolute);
      return {};
    }
    case Kind::Folder:
    case Kind::Message:
      break;
  }
  auto* live = qobject_cast<FrmLive*>(windows.show(QStringLiteral("FrmLive")));
  if (!live) return QStringLiteral("%1: the folder window is missing.").arg(path);
  const bool folder = kind == Kind::Folder;
  if (!live->folders()->setPath(folder ? absolute : QFileInfo(absolute).absolutePath()))
    return QStringLiteral("%1 cannot be shown.").arg(path);
  if (!folder && !live->showListed(absolute.toStdString()))
    return QStringLiteral(
               "%1 is not listed: it has no subject, or it is a reply and replies are left "
               "out (\"Do not load replayed messages\" in the settings).")
        .arg(path);
  return {};
}

}  // namespace mailvane
