#pragma once
// Settings on QSettings (QtCore only), stored per user under the executable's name,
// group "Settings", values as text. Link target `mailvane_settings`.

#include "system/Settings.h"

#include <memory>
#include <string>
#include <string_view>

class QSettings;

namespace mailvane::system {

class QtSettings : public Settings {
 public:
  // The organisation folder under the user's configuration folder.
  static constexpr std::string_view kOrganization = "Mailvane";

  // applicationName empty: the executable's name (the application object's name when one
  // exists, else the running program's file name).
  explicit QtSettings(std::string applicationName = {});
  ~QtSettings() override;
  QtSettings(const QtSettings&) = delete;
  QtSettings& operator=(const QtSettings&) = delete;

  std::string value(std::string_view key, std::string_view defaultValue) const override;
  void setValue(std::string_view key, std::string_view value) override;

  const std::string& applicationName() const { return applicationName_; }
  // The file the values are kept in (for messages and tests).
  std::string fileName() const;

 private:
  std::string applicationName_;
  std::unique_ptr<QSettings> store_;
};

}  // namespace mailvane::system
