#pragma once
// The switches of one run, read from the settings store once, at project
// start, and never again during the run.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/program.h"
#include "links/link_list.h"
#include "platform/settings_store.h"

namespace engine {

struct RunSwitches {
  int32_t maxCount = 0;
  int32_t rangeFrom = 0;
  int32_t rangeTo = 0;
  int32_t fileSizeKB = 0;  // 0 or less: no limit
  int32_t level = 0;       // 0 entire site, 1 same directory
  bool text = true;        // Quorvash stores its result pages
  bool others = false;     // image/* refused
  bool image = true;       // image tags scanned, non-images refused
  bool diffRoot = true;    // pictures on other hosts taken
  bool modernPages = false;  // pages also read with a parser
  bool showLink = false;
  bool showThread = false;
  bool robots = true;          // robots.txt kept to
  int32_t waitMs = 0;          // between requests to one host
  int32_t rateKBs = 0;         // for the whole run; 0 or less: none
  std::string userAgent;       // empty: the program's name and version
  std::string cookieFile;
  std::vector<std::string> headers;  // "Name: value"

  int64_t FileSizeLimit() const { return fileSizeKB > 0 ? int64_t(fileSizeKB) * 1024 : 0; }
  links::ChoiceRules Choice(bool preferredFirst) const {
    return {maxCount, rangeFrom, rangeTo, preferredFirst};
  }
};

// Reads the switches in the order the keys are documented; a negative
// "level" counts as 0.
RunSwitches ReadRunSwitches(const platform::SettingsStore& store, const Program& program);

// Where same-site requests go: the start address's host, scheme and port.
struct Site {
  std::string host;
  bool secure = false;
  int port = 80;
};

}  // namespace engine
