#pragma once
// The per-user settings store: organisation "Ombrel software", one root per
// program. A missing value, or one of the wrong type, reads as the default.
#include <cstdint>
#include <map>
#include <string>

namespace platform {

inline constexpr const char* kSettingsSection = "Settings";

class SettingsStore {
 public:
  explicit SettingsStore(std::string programName) : m_program(std::move(programName)) {}

  int32_t ReadSettingInt(const std::string& section, const std::string& key, int32_t def) const;
  bool WriteSettingInt(const std::string& section, const std::string& key, int32_t value) const;
  std::string ReadSettingString(const std::string& section, const std::string& key,
                                const std::string& def) const;
  bool WriteSettingString(const std::string& section, const std::string& key,
                          const std::string& value) const;

  const std::string& ProgramName() const { return m_program; }

  // A value that reads in place of the stored one, in this object only, and
  // is never written: a setting for one run.
  void Override(const std::string& key, const std::string& value) { m_overrides[key] = value; }

 private:
  std::string m_program;
  std::map<std::string, std::string> m_overrides;
};

}  // namespace platform
