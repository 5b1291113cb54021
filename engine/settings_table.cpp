#include "engine/settings_table.h"

#include <array>

namespace engine {

namespace {

constexpr std::string_view kAtStart = "at every project start";

constexpr std::array<SettingDef, 16> kTable = {{
    {kHistoryKey, SettingType::String, 0, 0, true, true,
     "the start address of the last project; the address field shows it at start-up",
     "at start-up"},
    {kFolderKey, SettingType::String, 0, 0, true, true,
     "the program folder, below which project folders are made; empty: $XDG_PICTURES_DIR/<program>",
     "at start-up"},
    {kNoScrollKey, SettingType::Integer, 0, 0, true, true,
     "1: the thumbnail list does not scroll to a new thumbnail", "each time a thumbnail is added"},
    {"MaxCount", SettingType::Integer, 0, 0, true, true,
     "most links taken in one project; 0 or less: no limit", kAtStart},
    {"RangeFrom", SettingType::Integer, 0, 0, true, true,
     "lowest link number to download; 0 or less: none", kAtStart},
    {"RangeTo", SettingType::Integer, 0, 0, true, true,
     "highest link number to download; 0 or less: none", kAtStart},
    {"file size", SettingType::Integer, 0, 0, true, true,
     "skip files larger than this many KB; 0 or less: no limit", kAtStart},
    {"level", SettingType::Integer, 0, 0, true, true,
     "0: the entire site, 1: only the start page's directory", kAtStart},
    {"show link", SettingType::Integer, 0, 0, true, true, "1: log every newly found link", kAtStart},
    {"show thread", SettingType::Integer, 0, 0, true, true,
     "1: per-file log lines carry the worker number", kAtStart},
    {"image", SettingType::Integer, 1, 0, true, true,
     "1: scan image tags and store only image/* files (with 0, archives are stored too)", kAtStart},
    {"text", SettingType::Integer, 1, 1, true, true,
     "1: Quorvash also stores the result pages it reads", kAtStart},
    {"others", SettingType::Integer, 0, 0, true, true, "1: refuse image/* files", kAtStart},
    {"diff root", SettingType::Integer, 1, 0, true, true, "1: also take pictures that lie on other hosts",
     kAtStart},
    {"search host", SettingType::String, 0, 0, false, true,
     "host or host:port that takes the place of the image-search service", kAtStart},
    {"sponsor host", SettingType::String, 0, 0, true, true,
     "host or host:port of the sponsor page that the window's panel shows", "at start-up"},
}};

}  // namespace

std::span<const SettingDef> SettingsTable() { return kTable; }

const SettingDef* FindSetting(std::string_view key, ProgramKind kind) {
  for (const SettingDef& def : kTable) {
    if (def.key != key) continue;
    const bool has = kind == ProgramKind::Quorvash ? def.inQuorvash : def.inTarvelin;
    return has ? &def : nullptr;
  }
  return nullptr;
}

int32_t DefaultOf(const SettingDef& def, ProgramKind kind) {
  return kind == ProgramKind::Quorvash ? def.quorvashDefault : def.tarvelinDefault;
}

int32_t ReadTableInt(const platform::SettingsStore& store, std::string_view key, ProgramKind kind) {
  const SettingDef* def = FindSetting(key, kind);
  const int32_t fallback = def ? DefaultOf(*def, kind) : 0;
  return store.ReadSettingInt(platform::kSettingsSection, std::string(key), fallback);
}

}  // namespace engine
