#pragma once
// What differs between the two programs. The program that links the engine
// fills this in; Tarvelin links nothing of Quorvash and the reverse.
#include <functional>
#include <string>

#include "platform/settings_store.h"

class CPageDownloader;

// Reads a received body: Tarvelin's page scanner, Quorvash's result pages.
// `body` is the whole body; body.c_str() is zero-terminated. When the
// downloader has an output file open, the handler writes the body into it.
class PageHandler {
 public:
  virtual ~PageHandler() = default;
  virtual int HandlePage(CPageDownloader& downloader, std::string& body, int index) = 0;
};

enum class ProgramKind { Tarvelin, Quorvash };

struct Program {
  ProgramKind kind = ProgramKind::Tarvelin;
  std::string name;  // user agent and settings root
  PageHandler* pageHandler = nullptr;
  // Quorvash turns a keyword into the first result page's address.
  std::function<std::string(const std::string& input, const platform::SettingsStore&)> prepareAddress;

  bool IsQuorvash() const { return kind == ProgramKind::Quorvash; }
  int DefaultImage() const { return IsQuorvash() ? 0 : 1; }
  int DefaultDiffRoot() const { return IsQuorvash() ? 0 : 1; }
};
