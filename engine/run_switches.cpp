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
  s.modernPages = read("modern pages") != 0;
  return s;
}

}  // namespace engine
