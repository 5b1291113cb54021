#pragma once
// A page handler for engine tests that seeds the link list from a text page:
// each line "P link" adds a preferred link, "N link" a new one.
#include <sstream>
#include <string>

#include "engine/page_context.h"
#include "engine/program.h"

class LineListHandler : public engine::PageHandler {
 public:
  void HandlePage(engine::PageContext& page, std::string_view body) override {
    std::istringstream lines{std::string(body)};
    for (std::string line; std::getline(lines, line);) {
      if (line.size() > 2 && (line[0] == 'P' || line[0] == 'N')) page.AddLink(line.substr(2), line[0] == 'P' ? 0 : 1);
    }
  }
};
