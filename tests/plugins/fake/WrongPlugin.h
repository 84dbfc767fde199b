#pragma once
// A Qt plug-in that answers another interface id: the host must refuse it before use.

#include <QObject>

namespace mailvane::fake {

class WrongInterface : public QObject {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.example.SomethingElse/1")
};

}  // namespace mailvane::fake
