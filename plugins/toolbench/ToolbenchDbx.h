#pragma once
// The "Toolbench.DBX" plug-in object: Parse a .dbx message folder once, then Extract its
// messages by index in any order. Message text is handed out as bytes (QByteArray),
// exactly as stored, because the windows treat a message as bytes of its code page.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>

#include "plugins/toolbench/DbxReader.h"

namespace mailvane::toolbench {

class ToolbenchDbx : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString LastError READ LastError)

 public:
  // The number of messages, or 0 when the file is not a readable message folder
  // (LastError then says why). A damaged index yields the messages that can be reached.
  Q_INVOKABLE int Parse(const QString& path);
  // Message `index` (a number, or its decimal text) as raw .eml bytes. Empty when the
  // index is out of range or the message's text is missing or broken (see LastError):
  // a partly readable message is never handed out as if it were whole.
  Q_INVOKABLE QByteArray Extract(const QVariant& index);
  // The folders of a Folders.dbx: a list of maps with "id", "parentId", "name" and
  // "fileName" (names as stored bytes).
  Q_INVOKABLE QVariantList Folders(const QString& path);

  QString LastError() const { return lastError_; }

 private:
  dbx::DbxReader reader_;
  QString lastError_;
};

}  // namespace mailvane::toolbench
