#pragma once
// The web browser's button: the program registers itself as the desktop's
// handler of a URL scheme of its own ("tarvelin:", "quorvash:"), and a
// bookmarklet on the browser's bookmarks toolbar opens that scheme followed
// by the page's address. Registration is a desktop entry in the user's
// applications folder made the default handler in the user's mimeapps.list;
// nothing outside the user's own folders is touched.
#include <QString>
#include <optional>

namespace platform {

struct BrowserButton {
  QString scheme;      // without the ":"
  QString buttonText;  // "Run Tarvelin"
  QString menuText;    // "Launch Tarvelin"
  QString statusText;  // "Download all pictures from this site"
  QString executable;  // full path of the program to start
  QString icon;        // the icon beside it (full path), else its name in the theme
};

// The button of the program `title` ("Tarvelin"), handling `scheme`, for the
// executable at `executablePath`; its icon lies beside it as <title>.png.
BrowserButton BrowserButtonOf(const QString& scheme, const QString& title, const QString& statusText,
                              const QString& executablePath);

// The desktop entry's file name, and where it lies.
QString HandlerDesktopId(const QString& scheme);
QString HandlerDesktopPath(const QString& scheme);
QString MimeAppsListPath();

// The desktop entry's text, or nothing when a path cannot be written into one
// (a control character in it).
std::optional<QString> DesktopEntryText(const BrowserButton& button);

// Whether the registration exists (its desktop entry does), whatever it says.
bool IsBrowserButtonRegistered(const QString& scheme);

// Writes the desktop entry anew and makes it the scheme's default handler.
// Returns false, having written nothing, when the entry cannot be made.
bool RegisterBrowserButton(const BrowserButton& button);

// Removes the desktop entry and this program's default-handler line; what
// cannot be removed stays, without a word.
void RemoveBrowserButton(const QString& scheme);

// The bookmarklet: opens "<scheme>:" followed by the shown page's address,
// percent-encoded.
QString Bookmarklet(const QString& scheme);

}  // namespace platform
