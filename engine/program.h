#pragma once
// What differs between the two programs, as named capabilities. Each program
// builds one value of this in its own folder; shared code reads the fields
// and never asks which program runs. Tarvelin links nothing of Quorvash and
// the reverse.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

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

// How a stored file is named from its link.
enum class StoredNames {
  BareName,  // the file name alone, in the project folder
  PathTree,  // the link's mapped path, folders and all
};

// What the full-screen viewer's menu offers beyond the gallery and wallpaper.
enum class ViewerAction { None, DownloadWholeSite };

struct Program {
  std::string name;       // "Tarvelin": user agent, caption, help page, sponsor page
  std::string urlScheme;  // "tarvelin": what the web browser hands over
  PageHandler* pageHandler = nullptr;
  // Turns what the user typed into the first address (a keyword into a
  // search address); none: the text is the address.
  std::function<std::string(const std::string& input, const platform::SettingsStore&)> prepareAddress;

  bool keepsTextPages = false;   // stores the text pages it reads when "text" is 1
  StoredNames storedNames = StoredNames::BareName;
  bool asksToResume = true;      // offers to continue a project it finds
  bool everyLinkNew = false;     // every found link is new; none is preferred
  bool keepsPictureHost = false; // a stored picture remembers its other site's host
  bool takesStartAddress = true; // the window's command line is a start address
  // The download workers run just below a window's thread, which must
  // answer at once, whatever priority the run's own thread has.
  bool workersYield = false;
  ViewerAction viewerAction = ViewerAction::None;
  // Integer settings whose default differs from the table's.
  std::map<std::string, int, std::less<>> settingDefaults;
  // Keys of the settings table that not every program has, and this one does.
  std::vector<std::string_view> ownSettings;
};

}  // namespace engine
