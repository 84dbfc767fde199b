#pragma once
// Shared by the tests that drive the Newswatch plug-in as a window would.

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace mailvane::newswatch::test {

// A receiver as the windows are one: a public Filecreated found by name.
class FileSink : public QObject {
  Q_OBJECT
 public:
  Q_INVOKABLE void Filecreated(const QString& fullPath, const QString& name);
  // Called on the receiver's thread after a report is recorded.
  std::function<void(const QString&)> onFile;

  int count() const;
  QStringList paths() const;
  QStringList names() const;
  QList<QThread*> threads() const;
  QStringList errors() const;
  // Processes events until fullPath was reported (generous time-out).
  bool waitFor(const QString& fullPath) const;

 public slots:
  void recordError(const QString& message);

 private:
  mutable QMutex mutex_;
  QStringList paths_;
  QStringList names_;
  QList<QThread*> threads_;
  QStringList errors_;
};

void ensureApplication();
// Processes events until done() holds; false after 20 s.
bool waitUntil(const std::function<bool()>& done);
QString pluginPath();
// A new "Newswatch.Newswatch" made by the library's factory, or nullptr.
QObject* createWatch();
// Writes a small file and returns its path.
QString writeFile(const QString& path);
int openInotifyDescriptors();

}  // namespace mailvane::newswatch::test
