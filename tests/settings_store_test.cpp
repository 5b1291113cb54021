// The settings store: defaults, wrong types, and the console's keys.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "platform/settings_store.h"

namespace {

TEST(SettingsStore, MissingAndWrongTypesReadAsTheDefault) {
  platform::SettingsStore store("StoreTest");
  EXPECT_EQ(store.ReadInt("MaxCount", 7), 7);
  EXPECT_EQ(store.ReadString("history", "http://x/"), "http://x/");

  EXPECT_TRUE(store.WriteInt("MaxCount", -5));
  EXPECT_EQ(store.ReadInt("MaxCount", 7), -5);
  EXPECT_TRUE(store.WriteString("history", "http://site/a b"));
  EXPECT_EQ(store.ReadString("history", ""), "http://site/a b");

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
  EXPECT_EQ(store.ReadInt("level", 0), 0);
  EXPECT_EQ(store.ReadInt("image", 1), 1);
  EXPECT_EQ(store.ReadInt("file size", 3), 3);
  EXPECT_EQ(store.ReadInt("RangeTo", 0), 12);
  EXPECT_EQ(store.ReadString("image", "dflt"), "dflt");

  // Another program name is another root.
  platform::SettingsStore other("StoreTestOther");
  EXPECT_EQ(other.ReadInt("MaxCount", 7), 7);
}

TEST(SettingsStore, LivesUnderTheConfigHome) {
  platform::SettingsStore store("StoreTestPlace");
  store.WriteInt("show link", 1);
  const std::string file = std::string(getenv("XDG_CONFIG_HOME")) + "/Ombrel software/StoreTestPlace.conf";
  EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));
}

}  // namespace
