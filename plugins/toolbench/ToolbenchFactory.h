#pragma once
// Root object of the Toolbench plug-in library: makes "Toolbench.DBX" objects.

#include <QObject>

#include "controls/PluginInterface.h"

namespace mailvane::toolbench {

class ToolbenchFactory : public QObject, public PluginFactory {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID MailvanePluginFactory_iid FILE "toolbench.json")
  Q_INTERFACES(mailvane::PluginFactory)

 public:
  QStringList classNames() const override;
  QObject* create(const QString& className) override;
};

}  // namespace mailvane::toolbench
