#pragma once
// The root object of the plug-in library: makes "Fetchvane.Loader" objects, all sharing
// one download center.

#include <QObject>
#include <QPointer>

#include "controls/PluginInterface.h"

namespace mailvane::fetchvane {

class DownloadCenter;

class FetchvaneFactory : public QObject, public PluginFactory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID MailvanePluginFactory_iid)
  Q_INTERFACES(mailvane::PluginFactory)

 public:
  static constexpr char kLoaderClass[] = "Fetchvane.Loader";

  QStringList classNames() const override;
  QObject* create(const QString& className) override;

 private:
  DownloadCenter* center();

  QPointer<DownloadCenter> center_;
};

}  // namespace mailvane::fetchvane
