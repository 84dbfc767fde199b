#include "plugins/toolbench/ToolbenchDbx.h"

#include <QVariantMap>

#include <limits>

#include "plugins/toolbench/DbxFolderList.h"

namespace mailvane::toolbench {

namespace {

QByteArray toBytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString toError(const std::string& text) {
  return QString::fromLocal8Bit(toBytes(text));
}

// The index as a number: an integer, or decimal text such as "12"; -1 when it is neither.
qint64 indexOf(const QVariant& index) {
  bool ok = false;
  qint64 value = -1;
  if (index.typeId() == QMetaType::QString || index.typeId() == QMetaType::QByteArray) {
    value = index.toString().trimmed().toLongLong(&ok, 10);
  } else if (index.canConvert<qlonglong>()) {
    value = index.toLongLong(&ok);
  }
  return ok ? value : -1;
}

}  // namespace

int ToolbenchDbx::Parse(const QString& path) {
  lastError_.clear();
  if (!reader_.open(std::filesystem::path(path.toStdU16String()))) {
    lastError_ = toError(reader_.error());
    return 0;
  }
  if (!reader_.problems().empty()) lastError_ = toError(reader_.problems().front());
  return static_cast<int>(std::min<uint32_t>(reader_.count(), std::numeric_limits<int>::max()));
}

QByteArray ToolbenchDbx::Extract(const QVariant& index) {
  const qint64 number = indexOf(index);
  if (number < 0 || number >= reader_.count()) {
    lastError_ = QStringLiteral("there is no message %1").arg(index.toString());
    return {};
  }
  const dbx::DbxMessage message = reader_.message(static_cast<uint32_t>(number));
  if (!message.complete) {
    lastError_ = toError(message.error);
    return {};
  }
  lastError_.clear();
  return toBytes(message.text);
}

QVariantList ToolbenchDbx::Folders(const QString& path) {
  const dbx::DbxFolderList list = dbx::readFolderList(std::filesystem::path(path.toStdU16String()));
  lastError_ = toError(list.ok ? (list.problems.empty() ? "" : list.problems.front()) : list.error);
  QVariantList folders;
  for (const auto& folder : list.folders) {
    folders.append(QVariantMap{{QStringLiteral("id"), qulonglong(folder.id)},
                               {QStringLiteral("parentId"), qlonglong(folder.parentId)},
                               {QStringLiteral("name"), toBytes(folder.name)},
                               {QStringLiteral("fileName"), toBytes(folder.fileName)}});
  }
  return folders;
}

}  // namespace mailvane::toolbench
