#pragma once
// What differs between the two programs. The program that links the engine
// fills this in; Tarvelin links nothing of Quorvash and the reverse.
#include <functional>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace engine {

class PageContext;

// Reads a received text page: Tarvelin's page scanner, Quorvash's result
// pages. Runs on a worker thread; several at once.
class PageHandler {
 public:
  virtual ~PageHandler() = default;
  // `body` is the page as received, up to its first zero byte at most.
  virtual void HandlePage(PageContext& page, std::string_view body) = 0;
};

enum class ProgramKind { Tarvelin, Quorvash };

struct Program {
  ProgramKind kind = ProgramKind::Tarvelin;
  std::string name;  // user agent and settings root
  PageHandler* pageHandler = nullptr;
  // Quorvash turns a keyword into the first result page's address.
  std::function<std::string(const std::string& input, const platform::SettingsStore&)> prepareAddress;

  bool IsQuorvash() const { return kind == ProgramKind::Quorvash; }
};

}  // namespace engine
