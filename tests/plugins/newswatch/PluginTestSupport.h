#pragma once
// Shared by the tests that drive the Newswatch plug-in as a window would.

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <functional>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace mailvane::newswatch::test {

// A receiver as the windows are one: a public Filecreated found by name. The plug-in may
// call it from its own thread, so every list is read under the lock.
class FileSink : public QObject {
  Q_OBJECT
 public:
  Q_INVOKABLE void Filecreated(const QString& fullPath, const QString& name) {
    {
      QMutexLocker lock(&mutex_);
      paths_ << fullPath;
      names_ << name;
      threads_ << QThread::currentThread();
    }
    if (onFile) onFile(fullPath);
  }
  // Called on the receiver's thread after a report is recorded.
  std::function<void(const QString&)> onFile;

  QStringList paths() const { return locked(paths_); }
  QStringList names() const { return locked(names_); }
  QList<QThread*> threads() const { return locked(threads_); }
  QStringList errors() const { return locked(errors_); }
  int count() const { return static_cast<int>(paths().size()); }
  // Processes events until fullPath was reported (generous time-out).
  bool waitFor(const QString& fullPath) const;

 public slots:
  void recordError(const QString& message) {
    QMutexLocker lock(&mutex_);
    errors_ << message;
  }

 private:
  template <class List>
  List locked(const List& list) const {
    QMutexLocker lock(&mutex_);
    return list;
  }

  mutable QMutex mutex_;
  QStringList paths_, names_, errors_;
  QList<QThread*> threads_;
};

// Processes events until done() holds; false after 20 s.
bool waitUntil(const std::function<bool()>& done);
QString pluginPath();
// A new "Newswatch.Newswatch" made by the library's factory, or nullptr.
QObject* createWatch();
// Writes a small file and returns its path.
QString writeFile(const QString& path);
int openInotifyDescriptors();

}  // namespace mailvane::newswatch::test
