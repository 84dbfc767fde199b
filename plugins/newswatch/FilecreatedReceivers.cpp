#include "plugins/newswatch/FilecreatedReceivers.h"

#include <QPointer>

#include <algorithm>

#include "plugins/newswatch/FilecreatedRelay.h"

namespace mailvane::newswatch {

FilecreatedReceivers::~FilecreatedReceivers() {
  for (Entry& entry : entries_) release(entry);
}

void FilecreatedReceivers::add(QObject* receiver) {
  if (!receiver) return;
  const bool present = std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    return entry.relay->receiver() == receiver;
  });
  if (present) return;
  auto* relay = new FilecreatedRelay(receiver);
  // A destroyed receiver leaves the list; the relay already ignores it until then.
  auto connection = QObject::connect(receiver, &QObject::destroyed, owner_,
                                     [this, relay] { drop(relay); });
  entries_.push_back(Entry{relay, connection});
}

void FilecreatedReceivers::remove(const QObject* receiver) {
  const auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
    return e.relay->receiver() == receiver;
  });
  if (entry == entries_.end()) return;
  release(*entry);
  entries_.erase(entry);
}

void FilecreatedReceivers::drop(FilecreatedRelay* relay) {
  const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) { return e.relay == relay; });
  if (entry == entries_.end()) return;
  release(*entry);
  entries_.erase(entry);
}

// The relay may be in the middle of a call (a receiver that removes itself from inside
// Filecreated), so it is deleted later, on its own thread.
void FilecreatedReceivers::release(Entry& entry) {
  QObject::disconnect(entry.onDestroyed);
  entry.relay->deactivate();
  entry.relay->deleteLater();
}

void FilecreatedReceivers::deliver(const QString& fullPath, const QString& name) {
  // A receiver may add or remove receivers from inside its call: walk a copy, and skip a
  // relay that left the list meanwhile (one on another thread may already be deleted).
  // It may even delete the plug-in object, and this list with it.
  const QPointer<QObject> ownerAlive(owner_);
  const std::vector<Entry> snapshot = entries_;
  for (const Entry& entry : snapshot) {
    if (!ownerAlive) return;
    const bool listed = std::any_of(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return e.relay == entry.relay; });
    if (listed) entry.relay->deliver(fullPath, name);
  }
}

}  // namespace mailvane::newswatch
