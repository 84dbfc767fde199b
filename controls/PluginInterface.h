#pragma once
// The contract between the plug-in host (NetClass) and the plug-in libraries in
// <program folder>/plugin/. Every loader of one library shares its root object, so the
// root is a factory that makes a fresh object per class name; the host then calls the
// object's members by name (Q_INVOKABLE methods, Q_PROPERTY properties).

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtPlugin>

namespace mailvane {

class PluginFactory {
 public:
  virtual ~PluginFactory() = default;
  // Full class names this library can make, e.g. "Fetchvane.Loader".
  virtual QStringList classNames() const = 0;
  // A new object of that class owned by the caller, or nullptr for an unknown name.
  virtual QObject* create(const QString& className) = 0;
};

}  // namespace mailvane

#define MailvanePluginFactory_iid "org.mailvane.PluginFactory/1"
Q_DECLARE_INTERFACE(mailvane::PluginFactory, MailvanePluginFactory_iid)
