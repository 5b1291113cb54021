// The settings store: defaults, wrong types, and the console's keys.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "platform/settings_store.h"

namespace {

TEST(SettingsStore, MissingAndWrongTypesReadAsTheDefault) {
  platform::SettingsStore store("StoreTest");
  const std::string s = platform::kSettingsSection;
  EXPECT_EQ(store.ReadSettingInt(s, "MaxCount", 7), 7);
  EXPECT_EQ(store.ReadSettingString(s, "history", "http://x/"), "http://x/");

  EXPECT_TRUE(store.WriteSettingInt(s, "MaxCount", -5));
  EXPECT_EQ(store.ReadSettingInt(s, "MaxCount", 7), -5);
  EXPECT_TRUE(store.WriteSettingString(s, "history", "http://site/a b"));
  EXPECT_EQ(store.ReadSettingString(s, "history", ""), "http://site/a b");

  // Values put there by other means: text under an integer key, a list, an
  // integer that does not fit 32 bits.
  {
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Ombrel software", "StoreTest");
    raw.beginGroup("Settings");
    raw.setValue("level", "deep");
    raw.setValue("image", QStringList{"1", "2"});
    raw.setValue("file size", qlonglong(1) << 40);
    raw.setValue("RangeTo", " 12 ");
    raw.sync();
  }
  EXPECT_EQ(store.ReadSettingInt(s, "level", 0), 0);
  EXPECT_EQ(store.ReadSettingInt(s, "image", 1), 1);
  EXPECT_EQ(store.ReadSettingInt(s, "file size", 3), 3);
  EXPECT_EQ(store.ReadSettingInt(s, "RangeTo", 0), 12);
  EXPECT_EQ(store.ReadSettingString(s, "image", "dflt"), "dflt");

  // Another program name is another root.
  platform::SettingsStore other("StoreTestOther");
  EXPECT_EQ(other.ReadSettingInt(s, "MaxCount", 7), 7);
}

TEST(SettingsStore, LivesUnderTheConfigHome) {
  platform::SettingsStore store("StoreTestPlace");
  store.WriteSettingInt(platform::kSettingsSection, "show link", 1);
  const std::string file = std::string(getenv("XDG_CONFIG_HOME")) + "/Ombrel software/StoreTestPlace.conf";
  EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));
}

}  // namespace
