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
  return s;
}

}  // namespace engine
