#pragma once
// Root object of the Newswatch library: makes the folder-watch objects for the host.

#include <QObject>

#include "controls/PluginInterface.h"

namespace mailvane::newswatch {

class NewswatchFactory : public QObject, public PluginFactory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID MailvanePluginFactory_iid FILE "Newswatch.json")
  Q_INTERFACES(mailvane::PluginFactory)

 public:
  QStringList classNames() const override;
  QObject* create(const QString& className) override;
};

}  // namespace mailvane::newswatch
