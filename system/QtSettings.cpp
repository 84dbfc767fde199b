#include "system/QtSettings.h"

#include "system/ProgramInfo.h"

#include <QCoreApplication>
#include <QSettings>
#include <QString>

namespace mailvane::system {
namespace {

QString qtText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString settingsKey(std::string_view key) { return QStringLiteral("Settings/") + qtText(key); }

std::string runningApplicationName() {
  if (QCoreApplication::instance()) {
    const QString name = QCoreApplication::applicationName();
    if (!name.isEmpty()) return name.toStdString();
  }
  return executableName();
}

}  // namespace

QtSettings::QtSettings(std::string applicationName)
    : applicationName_(applicationName.empty() ? runningApplicationName() : std::move(applicationName)),
      store_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                         qtText(kOrganization), qtText(applicationName_))) {}

QtSettings::~QtSettings() = default;

std::string QtSettings::value(std::string_view key, std::string_view defaultValue) const {
  return store_->value(settingsKey(key), qtText(defaultValue)).toString().toStdString();
}

void QtSettings::setValue(std::string_view key, std::string_view value) {
  store_->setValue(settingsKey(key), qtText(value));
  // Written at once: several windows and the command line read the same store.
  store_->sync();
}

std::string QtSettings::fileName() const { return store_->fileName().toStdString(); }

}  // namespace mailvane::system
