#include "platform/settings_store.h"

#include <QSettings>
#include <limits>

namespace platform {

namespace {

// A store object per call: QSettings objects of one process share their data,
// and each thread may use its own.
struct Section {
  explicit Section(const std::string& program)
      : settings(QSettings::NativeFormat, QSettings::UserScope, "Ombrel software",
                 QString::fromStdString(program)) {
    settings.beginGroup(QStringLiteral("Settings"));
  }
  QSettings settings;
};

}  // namespace

int32_t SettingsStore::ReadInt(const std::string& key, int32_t def) const {
  QVariant v;
  if (auto it = m_overrides.find(key); it != m_overrides.end()) {
    v = QString::fromStdString(it->second);
  } else {
    Section s(m_program);
    v = s.settings.value(QString::fromStdString(key));
  }
  if (!v.isValid()) return def;
  bool ok = false;
  qlonglong n = 0;
  switch (v.typeId()) {
    case QMetaType::QString:
      n = v.toString().trimmed().toLongLong(&ok);
      break;
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
      n = v.toLongLong(&ok);
      break;
    default:
      return def;
  }
  if (!ok || n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
    return def;
  return int32_t(n);
}

bool SettingsStore::WriteInt(const std::string& key, int32_t value) const {
  Section s(m_program);
  s.settings.setValue(QString::fromStdString(key), value);
  s.settings.sync();
  return s.settings.status() == QSettings::NoError;
}

std::string SettingsStore::ReadString(const std::string& key, const std::string& def) const {
  if (auto it = m_overrides.find(key); it != m_overrides.end()) return it->second;
  Section s(m_program);
  const QVariant v = s.settings.value(QString::fromStdString(key));
  if (!v.isValid() || v.typeId() != QMetaType::QString) return def;
  return v.toString().toStdString();
}

bool SettingsStore::WriteString(const std::string& key, const std::string& value) const {
  Section s(m_program);
  s.settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
  s.settings.sync();
  return s.settings.status() == QSettings::NoError;
}

}  // namespace platform
