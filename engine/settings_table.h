#pragma once
// Every key of the settings store, with its type, its default, what it means
// and when it is read. The engine, the console's --set and --help, and the
// Settings pages all read this one table, and name its keys by the constants
// in `keys`, so that a misspelt key does not compile.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/program.h"
#include "platform/settings_store.h"

namespace engine {

enum class SettingType { Integer, String };

struct IntKey {
  std::string_view name;
};
struct StringKey {
  std::string_view name;
};

namespace keys {
inline constexpr StringKey kHistory{"history"};
// The program folder; empty: $XDG_PICTURES_DIR/<program>.
inline constexpr StringKey kFolder{"folder"};
inline constexpr IntKey kNoScroll{"No scroll"};
inline constexpr IntKey kMaxCount{"MaxCount"};
inline constexpr IntKey kRangeFrom{"RangeFrom"};
inline constexpr IntKey kRangeTo{"RangeTo"};
inline constexpr IntKey kFileSize{"file size"};
inline constexpr IntKey kLevel{"level"};
inline constexpr IntKey kShowLink{"show link"};
inline constexpr IntKey kShowThread{"show thread"};
inline constexpr IntKey kImage{"image"};
inline constexpr IntKey kText{"text"};
inline constexpr IntKey kOthers{"others"};
inline constexpr IntKey kDiffRoot{"diff root"};
inline constexpr IntKey kModernPages{"modern pages"};
inline constexpr IntKey kRobots{"robots"};
inline constexpr IntKey kWait{"wait"};
inline constexpr IntKey kRate{"rate"};
inline constexpr StringKey kUserAgent{"user agent"};
inline constexpr StringKey kCookies{"cookies"};
inline constexpr StringKey kHeaders{"headers"};
inline constexpr StringKey kSearchHost{"search host"};
inline constexpr StringKey kSponsorHost{"sponsor host"};
// The main window's place and size, as QWidget::saveGeometry gives them, base64.
inline constexpr StringKey kWindowGeometry{"window geometry"};
}  // namespace keys

struct SettingDef {
  std::string_view key;
  SettingType type;
  int32_t defaultValue;  // integers only; Program::settingDefaults may differ
  bool everyProgram;     // else only programs naming it in Program::ownSettings
  std::string_view meaning;  // one line, for --help
  std::string_view readAt;   // when the program reads it
};

std::span<const SettingDef> SettingsTable();

// The key's row when `program` has it, else nothing.
const SettingDef* FindSetting(std::string_view key, const Program& program);

int32_t DefaultOf(const SettingDef& def, const Program& program);

// An integer key, with its default in `program`.
int32_t Read(const platform::SettingsStore& store, const Program& program, IntKey key);
// A text key; `fallback` when it is not stored.
std::string Read(const platform::SettingsStore& store, StringKey key, const std::string& fallback = {});
bool Write(const platform::SettingsStore& store, IntKey key, int32_t value);
bool Write(const platform::SettingsStore& store, StringKey key, const std::string& value);

}  // namespace engine
