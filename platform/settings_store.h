#pragma once
// The per-user settings store: organisation "Ombrel software", one root per
// program. A missing value, or one of the wrong type, reads as the default.
#include <cstdint>
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

 private:
  std::string m_program;
};

}  // namespace platform
