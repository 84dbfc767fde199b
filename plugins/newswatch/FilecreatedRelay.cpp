#include "plugins/newswatch/FilecreatedRelay.h"

#include <QMetaObject>
#include <QThread>
#include <QtDebug>

namespace mailvane::newswatch {

FilecreatedRelay::FilecreatedRelay(QObject* receiver) : receiver_(receiver), key_(receiver) {
  moveToThread(receiver->thread());
}

void FilecreatedRelay::deliver(const QString& fullPath, const QString& name) {
  if (!active_) return;
  if (thread() == QThread::currentThread()) {
    deliverHere(fullPath, name);
    return;
  }
  QMetaObject::invokeMethod(
      this, [this, fullPath, name] { deliverHere(fullPath, name); }, Qt::QueuedConnection);
}

void FilecreatedRelay::deliverHere(const QString& fullPath, const QString& name) {
  if (!active_ || !receiver_) return;
  // Called by name: receivers are windows that know nothing of this plug-in's types.
  const bool called = QMetaObject::invokeMethod(receiver_.data(), "Filecreated",
                                                Qt::DirectConnection, Q_ARG(QString, fullPath),
                                                Q_ARG(QString, name));
  if (!called && !warned_) {
    warned_ = true;
    qWarning("Newswatch: %s has no invokable Filecreated(QString, QString)",
             receiver_->metaObject()->className());
  }
}

}  // namespace mailvane::newswatch
