#include "plugins/fetchvane/Loader.h"

#include "plugins/fetchvane/DownloadCenter.h"

namespace mailvane::fetchvane {

Loader::Loader(DownloadCenter* center, QObject* parent) : QObject(parent), center_(center) {
  setObjectName(QStringLiteral("Fetchvane.Loader"));
}

void Loader::Add(const QString& link, const QString& targetFolder) {
  if (center_) center_->queue().add(link, targetFolder);
}

void Loader::Downloadershow() {
  if (center_) center_->showWindow();
}

}  // namespace mailvane::fetchvane
