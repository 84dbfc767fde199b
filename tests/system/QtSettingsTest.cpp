#include "system/QtSettings.h"

#include "system/SettingsKeys.h"
#include "tests/system/SystemTestSupport.h"

#include <QSettings>
#include <QString>
#include <gtest/gtest.h>

using namespace mailvane::system;
using mailvane::system::test::TempDir;

namespace {

class QtSettingsTest : public ::testing::Test {
 protected:
  QtSettingsTest() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.path().string()));
  }
  TempDir dir{"qtsettings"};
};

}  // namespace

TEST_F(QtSettingsTest, StoresTextUnderTheExecutableNameInSectionSettings) {
  {
    QtSettings settings;
    EXPECT_EQ(settings.applicationName(), "system_settings_tests");
    EXPECT_EQ(settings.value(kSavetxt, kSavetxtDefault), "1");
    settings.setValue(kEmails, "/home/ann/Mail \xc3\xa9");
    settings.setValue(kRE, "1");
  }
  QtSettings again;
  EXPECT_EQ(again.value(kEmails, ""), "/home/ann/Mail \xc3\xa9");
  EXPECT_EQ(again.value(kRE, "0"), "1");
  EXPECT_EQ(again.fileName(), (dir / "Mailvane" / "system_settings_tests.conf").string());
  QSettings raw(QString::fromStdString(again.fileName()), QSettings::IniFormat);
  EXPECT_EQ(raw.value("Settings/RE").toString(), QString("1"));
}

TEST_F(QtSettingsTest, ApplicationsKeepSeparateStores) {
  QtSettings one("one");
  QtSettings two("two");
  one.setValue(kEmlNws, "False");
  EXPECT_EQ(two.value(kEmlNws, kEmlNwsDefault), "True");
}
