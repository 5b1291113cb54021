#include "engine/settings_table.h"

#include <algorithm>
#include <array>

namespace engine {

namespace {

constexpr std::string_view kAtStart = "at every project start";

constexpr std::array<SettingDef, 23> kTable = {{
    {keys::kHistory.name, SettingType::String, 0, true,
     "the start address of the last project; the address field shows it at start-up",
     "at start-up"},
    {keys::kFolder.name, SettingType::String, 0, true,
     "the program folder, below which project folders are made; empty: $XDG_PICTURES_DIR/<program>",
     "at start-up"},
    {keys::kNoScroll.name, SettingType::Integer, 0, true,
     "1: the thumbnail list does not scroll to a new thumbnail", "each time a thumbnail is added"},
    {keys::kMaxCount.name, SettingType::Integer, 0, true,
     "most links taken in one project; 0 or less: no limit", kAtStart},
    {keys::kRangeFrom.name, SettingType::Integer, 0, true,
     "lowest link number to download; 0 or less: none", kAtStart},
    {keys::kRangeTo.name, SettingType::Integer, 0, true,
     "highest link number to download; 0 or less: none", kAtStart},
    {keys::kFileSize.name, SettingType::Integer, 0, true,
     "skip files larger than this many KB; 0 or less: no limit", kAtStart},
    {keys::kLevel.name, SettingType::Integer, 0, true,
     "0: the entire site, 1: only the start page's directory", kAtStart},
    {keys::kShowLink.name, SettingType::Integer, 0, true, "1: log every newly found link", kAtStart},
    {keys::kShowThread.name, SettingType::Integer, 0, true,
     "1: per-file log lines carry the worker number", kAtStart},
    {keys::kImage.name, SettingType::Integer, 1, true,
     "1: scan image tags and store only image/* files (with 0, archives are stored too)", kAtStart},
    {keys::kText.name, SettingType::Integer, 1, true,
     "1: Quorvash also stores the result pages it reads", kAtStart},
    {keys::kOthers.name, SettingType::Integer, 0, true, "1: refuse image/* files", kAtStart},
    {keys::kDiffRoot.name, SettingType::Integer, 1, true,
     "1: also take pictures that lie on other hosts", kAtStart},
    {keys::kModernPages.name, SettingType::Integer, 1, false,
     "1: also read pages with an HTML parser for srcset, lazy-loaded, background and share pictures, "
     "and take .jpeg, .png and .webp pictures from other hosts",
     kAtStart},
    {keys::kRobots.name, SettingType::Integer, 1, true,
     "1: read each host's robots.txt once per run and fetch nothing it refuses", kAtStart},
    {keys::kWait.name, SettingType::Integer, 0, true,
     "milliseconds between two requests to one host, for all workers together (a Crawl-delay raises it)",
     kAtStart},
    {keys::kRate.name, SettingType::Integer, 0, true, "KB per second for the whole run; 0 or less: no limit",
     kAtStart},
    {keys::kUserAgent.name, SettingType::String, 0, true,
     "the User-Agent sent; empty: the program's name and version, e.g. Tarvelin/1.0", kAtStart},
    {keys::kCookies.name, SettingType::String, 0, true,
     "path of a cookie file in the Netscape format that browsers export; each cookie goes to its own host",
     kAtStart},
    {keys::kHeaders.name, SettingType::String, 0, true,
     "extra request headers, \"Name: value\" lines; never sent to another host a redirect names", kAtStart},
    {keys::kSearchHost.name, SettingType::String, 0, false,
     "host or host:port that takes the place of the image-search service", kAtStart},
    {keys::kSponsorHost.name, SettingType::String, 0, true,
     "host or host:port of the sponsor page that the window's panel shows", "at start-up"},
}};

}  // namespace

std::span<const SettingDef> SettingsTable() { return kTable; }

const SettingDef* FindSetting(std::string_view key, const Program& program) {
  for (const SettingDef& def : kTable) {
    if (def.key != key) continue;
    const bool has = def.everyProgram ||
                     std::ranges::find(program.ownSettings, key) != program.ownSettings.end();
    return has ? &def : nullptr;
  }
  return nullptr;
}

int32_t DefaultOf(const SettingDef& def, const Program& program) {
  const auto own = program.settingDefaults.find(def.key);
  return own != program.settingDefaults.end() ? own->second : def.defaultValue;
}

int32_t Read(const platform::SettingsStore& store, const Program& program, IntKey key) {
  const SettingDef* def = FindSetting(key.name, program);
  return store.ReadInt(std::string(key.name), def ? DefaultOf(*def, program) : 0);
}

std::string Read(const platform::SettingsStore& store, StringKey key, const std::string& fallback) {
  return store.ReadString(std::string(key.name), fallback);
}

bool Write(const platform::SettingsStore& store, IntKey key, int32_t value) {
  return store.WriteInt(std::string(key.name), value);
}

bool Write(const platform::SettingsStore& store, StringKey key, const std::string& value) {
  return store.WriteString(std::string(key.name), value);
}

}  // namespace engine
