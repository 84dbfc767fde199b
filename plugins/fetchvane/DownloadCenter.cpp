#include "plugins/fetchvane/DownloadCenter.h"

#include <QApplication>

#include "plugins/fetchvane/DownloadWindow.h"

namespace mailvane::fetchvane {

DownloadCenter::DownloadCenter(QObject* parent) : QObject(parent) {
  if (auto* application = QCoreApplication::instance()) {
    // Downloads cannot go on once the program ends: remove their temporary files then.
    connect(application, &QCoreApplication::aboutToQuit, this, &DownloadCenter::shutDown);
  }
}

DownloadCenter::~DownloadCenter() {
  // A widget must not outlive the application object; when that is already gone the
  // window is left to the end of the process.
  if (QCoreApplication::instance()) delete window_.data();
}

void DownloadCenter::showWindow() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  if (!window_) {
    window_ = new DownloadWindow(queue_);
    window_->setAttribute(Qt::WA_DeleteOnClose);
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void DownloadCenter::shutDown() {
  queue_.cancelAll();
  delete window_.data();
}

}  // namespace mailvane::fetchvane
