#pragma once
// Every key of the settings store, with its type, its default in each program,
// what it means and when it is read. The engine, the console's --set and
// --help, and the Settings pages all read this one table.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/program.h"
#include "platform/settings_store.h"

namespace engine {

enum class SettingType { Integer, String };

struct SettingDef {
  std::string_view key;
  SettingType type;
  int32_t tarvelinDefault;  // integers only
  int32_t quorvashDefault;
  bool inTarvelin;
  bool inQuorvash;
  std::string_view meaning;  // one line, for --help
  std::string_view readAt;   // when the program reads it
};

inline constexpr std::string_view kHistoryKey = "history";
inline constexpr std::string_view kFolderKey = "folder";
inline constexpr std::string_view kNoScrollKey = "No scroll";

std::span<const SettingDef> SettingsTable();

// The key's row when `kind` has it, else nothing.
const SettingDef* FindSetting(std::string_view key, ProgramKind kind);

int32_t DefaultOf(const SettingDef& def, ProgramKind kind);

// Reads an integer key of the table with its default for `kind`.
int32_t ReadTableInt(const platform::SettingsStore& store, std::string_view key, ProgramKind kind);

}  // namespace engine
