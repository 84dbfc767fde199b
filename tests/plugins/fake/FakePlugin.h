#pragma once
// A plug-in library built only for the host's tests. "Fake.Echo" has methods, properties
// and a call-back shape like the real plug-ins, so the by-name calls are exercised.

#include <QObject>
#include <QVariant>

#include "controls/PluginInterface.h"

namespace mailvane::fake {

class FakeEcho : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Path READ path WRITE setPath)
  Q_PROPERTY(bool Run READ running WRITE setRunning)
  Q_PROPERTY(int Calls READ calls)

 public:
  Q_INVOKABLE int Parse(const QString& path) {
    ++calls_;
    return int(path.size());
  }
  Q_INVOKABLE QByteArray Extract(const QVariant& index) {
    ++calls_;
    return "message " + index.toString().toLatin1();
  }
  Q_INVOKABLE void Add(const QString& link, const QString& folder) {
    ++calls_;
    path_ = link + QLatin1Char('>') + folder;
  }
  Q_INVOKABLE QString Twice(const QString& text) const { return text + text; }
  Q_INVOKABLE int Twice(int number) const { return 2 * number; }

  QString path() const { return path_; }
  void setPath(const QString& path) { path_ = path; }
  bool running() const { return running_; }
  void setRunning(bool running) { running_ = running; }
  int calls() const { return calls_; }

 private:
  QString path_;
  bool running_ = false;
  int calls_ = 0;
};

class FakeFactory : public QObject, public PluginFactory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID MailvanePluginFactory_iid)
  Q_INTERFACES(mailvane::PluginFactory)

 public:
  QStringList classNames() const override { return {QStringLiteral("Fake.Echo")}; }
  QObject* create(const QString& className) override {
    return className == QLatin1String("Fake.Echo") ? new FakeEcho : nullptr;
  }
};

}  // namespace mailvane::fake
