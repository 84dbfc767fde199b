#pragma once
// The object the plug-in host makes for "Fetchvane.Loader". Its members are called by
// name: Downloadershow, then Add once per link. It only hands over; the downloads belong
// to the shared download center, so they go on when the host lets this object go.

#include <QObject>
#include <QPointer>
#include <QString>

namespace mailvane::fetchvane {

class DownloadCenter;

class Loader : public QObject {
  Q_OBJECT

 public:
  explicit Loader(DownloadCenter* center, QObject* parent = nullptr);

  // Queues the link for the folder (made when missing) and returns at once.
  Q_INVOKABLE void Add(const QString& link, const QString& targetFolder);
  // Shows the downloads window.
  Q_INVOKABLE void Downloadershow();

 private:
  QPointer<DownloadCenter> center_;
};

}  // namespace mailvane::fetchvane
