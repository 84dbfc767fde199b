#pragma once
// The program's windows by name. Each window exists at most once: show() makes it on
// first use and afterwards brings the same window forward. A window that is closed is
// unloaded (deleted), so the next show() makes a fresh one, as a first opening would.

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace mailvane {

class WindowRegistry {
 public:
  using Factory = std::function<QWidget*()>;

  WindowRegistry() = default;
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;
  // Deletes the windows still loaded, so none outlives the application object.
  ~WindowRegistry();

  // Registers (or replaces) how the window `name` is made.
  void add(const QString& name, Factory make);
  bool contains(const QString& name) const { return factories_.contains(name); }

  // Shows the single instance of `name`, making it first when it is not loaded; null for
  // a name nobody registered.
  QWidget* show(const QString& name);
  // The loaded instance of `name`, or null.
  QWidget* loaded(const QString& name) const;
  // The loaded windows, first loaded first.
  QList<QWidget*> loadedWindows() const;
  // Closes the loaded windows whose names are in `names`, last loaded first, each through
  // its own close handling (which may refuse).
  void unload(const QStringList& names);

 private:
  QHash<QString, Factory> factories_;
  mutable QList<QPointer<QWidget>> loaded_;
};

}  // namespace mailvane
