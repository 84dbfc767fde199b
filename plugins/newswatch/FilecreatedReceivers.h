#pragma once
// The receivers of Filecreated calls, in the order they were added. Used on the thread
// of the plug-in object; each receiver is reached through a relay on its own thread.

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <vector>

namespace mailvane::newswatch {

class FilecreatedRelay;

class FilecreatedReceivers {
 public:
  // owner: the object whose thread uses this list; it outlives the list's connections.
  explicit FilecreatedReceivers(QObject* owner) : owner_(owner) {}
  ~FilecreatedReceivers();
  FilecreatedReceivers(const FilecreatedReceivers&) = delete;
  FilecreatedReceivers& operator=(const FilecreatedReceivers&) = delete;

  // A receiver added twice is called once; null is ignored.
  void add(QObject* receiver);
  void remove(const QObject* receiver);
  void deliver(const QString& fullPath, const QString& name);
  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    FilecreatedRelay* relay;
    QMetaObject::Connection onDestroyed;
  };
  void drop(FilecreatedRelay* relay);
  static void release(Entry& entry);

  QObject* owner_;
  std::vector<Entry> entries_;
};

}  // namespace mailvane::newswatch
