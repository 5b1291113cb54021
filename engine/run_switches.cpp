#include "engine/run_switches.h"

#include <algorithm>

#include "engine/settings_table.h"

namespace engine {

RunSwitches ReadRunSwitches(const platform::SettingsStore& store, ProgramKind kind) {
  auto read = [&](std::string_view key) { return ReadTableInt(store, key, kind); };
  RunSwitches s;
  s.maxCount = read("MaxCount");
  s.rangeFrom = read("RangeFrom");
  s.rangeTo = read("RangeTo");
  s.text = read("text") != 0;
  s.others = read("others") != 0;
  s.fileSizeKB = read("file size");
  s.showLink = read("show link") != 0;
  s.showThread = read("show thread") != 0;
  s.image = read("image") != 0;
  s.diffRoot = read("diff root") != 0;
  s.level = std::max(0, read("level"));
  s.robots = read("robots") != 0;
  s.waitMs = std::max(0, read("wait"));
  s.rateKBs = std::max(0, read("rate"));
  auto text = [&](const char* key) { return store.ReadSettingString(platform::kSettingsSection, key, ""); };
  s.userAgent = text("user agent");
  s.cookieFile = text("cookies");
  // One header a line; a line without a name and a colon, or with a byte
  // that would end the header early, is no header.
  const std::string headers = text("headers");
  for (size_t at = 0; at < headers.size();) {
    size_t end = headers.find('\n', at);
    if (end == std::string::npos) end = headers.size();
    std::string line = headers.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos || line.find_first_of(std::string("\r\0", 2)) != std::string::npos ||
        line.find_first_of(" \t") < colon)
      continue;
    s.headers.push_back(line);
  }
  return s;
}

}  // namespace engine
