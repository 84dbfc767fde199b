#pragma once
// Carries Filecreated calls to one receiver. The relay lives on the receiver's thread, so
// the receiver is checked and called there: a call never runs on a watch thread, and the
// check for a destroyed receiver cannot race with its destruction.

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>

namespace mailvane::newswatch {

class FilecreatedRelay : public QObject {
  Q_OBJECT
 public:
  explicit FilecreatedRelay(QObject* receiver);

  // For identity only: the receiver may be gone.
  const QObject* receiver() const { return key_; }
  // From any thread: direct on the receiver's thread, queued to it from elsewhere.
  void deliver(const QString& fullPath, const QString& name);
  // From then on nothing reaches the receiver, not even a call already queued.
  void deactivate() { active_ = false; }

 private:
  void deliverHere(const QString& fullPath, const QString& name);

  QPointer<QObject> receiver_;
  const QObject* key_;
  std::atomic<bool> active_{true};
  bool warned_ = false;
};

}  // namespace mailvane::newswatch
