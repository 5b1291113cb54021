#pragma once
// The per-user settings store: organisation "Ombrel software", one root per
// program, every key in its "Settings" group. A missing value, or one of the
// wrong type, reads as the default. Keys are named in engine/settings_table.h.
#include <cstdint>
#include <map>
#include <string>

namespace platform {

class SettingsStore {
 public:
  explicit SettingsStore(std::string programName) : m_program(std::move(programName)) {}

  int32_t ReadInt(const std::string& key, int32_t def) const;
  bool WriteInt(const std::string& key, int32_t value) const;
  std::string ReadString(const std::string& key, const std::string& def) const;
  bool WriteString(const std::string& key, const std::string& value) const;

  const std::string& ProgramName() const { return m_program; }

  // A value that reads in place of the stored one, in this object only, and
  // is never written: a setting for one run.
  void Override(const std::string& key, const std::string& value) { m_overrides[key] = value; }

 private:
  std::string m_program;
  std::map<std::string, std::string> m_overrides;
};

}  // namespace platform
