#pragma once
// A page handler for engine tests that seeds the link list from a text page:
// each line "P link" adds a preferred link, "N link" a new one. Other bodies
// are written to the output file as the real handlers do.
#include <sstream>
#include <string>

#include "engine/page_downloader.h"

class LineListHandler : public PageHandler {
 public:
  int HandlePage(CPageDownloader& d, std::string& body, int) override {
    if (!d.m_isText) {
      d.WriteBody(body);
      return 0;
    }
    std::istringstream lines(body.c_str());
    for (std::string line; std::getline(lines, line);) {
      if (line.size() > 2 && (line[0] == 'P' || line[0] == 'N'))
        d.AddLink(line.substr(2), line[0] == 'P' ? 0 : 1);
    }
    return 0;
  }
};
