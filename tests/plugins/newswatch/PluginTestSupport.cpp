#include "tests/plugins/newswatch/PluginTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPluginLoader>
#include <unistd.h>

#include <chrono>

#include "controls/PluginInterface.h"

namespace mailvane::newswatch::test {

bool FileSink::waitFor(const QString& fullPath) const {
  return waitUntil([&] { return paths().contains(fullPath); });
}

bool waitUntil(const std::function<bool()>& done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(2);
  }
  return true;
}

QString pluginPath() { return QStringLiteral(MAILVANE_BIN_DIR "/plugin/libNewswatch.so"); }

QObject* createWatch() {
  QPluginLoader loader(pluginPath());
  auto* factory = qobject_cast<PluginFactory*>(loader.instance());
  return factory ? factory->create(QStringLiteral("Newswatch.Newswatch")) : nullptr;
}

QString writeFile(const QString& path) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write("Subject: test\r\n\r\nbody\r\n");
  return path;
}

int openInotifyDescriptors() {
  int count = 0;
  const QStringList fds = QDir("/proc/self/fd").entryList(QDir::System | QDir::NoDotAndDotDot);
  for (const QString& fd : fds) {
    char target[64] = {};
    const QByteArray link = QFile::encodeName("/proc/self/fd/" + fd);
    if (::readlink(link.constData(), target, sizeof target - 1) > 0 &&
        QByteArray(target) == "anon_inode:inotify") {
      ++count;
    }
  }
  return count;
}

}  // namespace mailvane::newswatch::test
