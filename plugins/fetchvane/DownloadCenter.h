#pragma once
// The one download queue and downloads window of the running program. The windows make a
// fresh plug-in object before every batch and may let the old one go at once, so the
// downloads must not live in those objects: every object made by the plug-in hands its
// links to this one place, which also keeps "fetched once per folder" true for the run.

#include <QObject>
#include <QPointer>

#include "plugins/fetchvane/DownloadQueue.h"
#include "plugins/fetchvane/DownloadWindow.h"

namespace mailvane::fetchvane {

class DownloadCenter : public QObject {
  Q_OBJECT

 public:
  explicit DownloadCenter(QObject* parent = nullptr);
  ~DownloadCenter() override;

  DownloadQueue& queue() { return queue_; }
  // Shows the downloads window, making it when needed; does nothing without a QApplication.
  void showWindow();
  DownloadWindow* window() const { return window_; }

 private:
  void shutDown();

  DownloadQueue queue_;
  QPointer<DownloadWindow> window_;
};

}  // namespace mailvane::fetchvane
