#pragma once
// What `mailvane PATH...` (or "Open with Mailvane" in a file manager) opens: each path in
// the window that fits it. A .dbx file opens in the DBX window; an .eml or .nws file opens
// the folder window at its folder with that message shown; a folder opens the folder
// window there.

#include <QString>
#include <QStringList>

class QWidget;

namespace mailvane {

class WindowRegistry;

class GivenPaths {
 public:
  enum class Kind { Missing, Folder, Dbx, Message, Other };

  static Kind kindOf(const QString& path);
  // Opens every path in turn; one that is missing, of another kind, or that its window
  // cannot show is named in a message box over boxParent, and the others still open.
  static void open(WindowRegistry& windows, const QStringList& paths, QWidget* boxParent);

 private:
  // "" when opened, else why not.
  static QString openOne(WindowRegistry& windows, const QString& path);
};

}  // namespace mailvane
