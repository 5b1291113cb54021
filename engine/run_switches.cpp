#include "engine/run_switches.h"

#include <algorithm>

#include "engine/settings_table.h"

namespace engine {

RunSwitches ReadRunSwitches(const platform::SettingsStore& store, const Program& program) {
  auto read = [&](IntKey key) { return Read(store, program, key); };
  RunSwitches s;
  s.maxCount = read(keys::kMaxCount);
  s.rangeFrom = read(keys::kRangeFrom);
  s.rangeTo = read(keys::kRangeTo);
  s.text = read(keys::kText) != 0;
  s.others = read(keys::kOthers) != 0;
  s.fileSizeKB = read(keys::kFileSize);
  s.showLink = read(keys::kShowLink) != 0;
  s.showThread = read(keys::kShowThread) != 0;
  s.image = read(keys::kImage) != 0;
  s.diffRoot = read(keys::kDiffRoot) != 0;
  s.level = std::max(0, read(keys::kLevel));
  s.modernPages = read(keys::kModernPages) != 0;
  s.robots = read(keys::kRobots) != 0;
  s.waitMs = std::max(0, read(keys::kWait));
  s.rateKBs = std::max(0, read(keys::kRate));
  s.userAgent = Read(store, keys::kUserAgent);
  s.cookieFile = Read(store, keys::kCookies);
  // One header a line; a line without a name and a colon, or with a byte
  // that would end the header early, is no header.
  const std::string headers = Read(store, keys::kHeaders);
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
