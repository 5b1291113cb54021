#pragma once
// Setting the desktop's wallpaper the way the running desktop does it.
#include <filesystem>

namespace platform {

enum class WallpaperWay {
  None,      // nothing worked, or the user declined
  Portal,    // org.freedesktop.portal.Wallpaper over D-Bus
  Gnome,     // gsettings org.gnome.desktop.background (also Budgie, Unity, Pantheon)
  Cinnamon,  // gsettings org.cinnamon.desktop.background
  Mate,      // gsettings org.mate.background
  Plasma,    // the Plasma shell's evaluateScript over D-Bus
  Xfce,      // xfconf-query, every monitor and workspace
  LxQt,      // pcmanfm-qt --set-wallpaper
  Lxde,      // pcmanfm --set-wallpaper
};

// ApplyWallpaper: makes `file` (an absolute path) the wallpaper. Tries the
// desktop portal first, then the ways of the desktop named in
// XDG_CURRENT_DESKTOP; with no known desktop, those of a desktop that is
// evidently running. Returns the way that set it. The wallpaper's style
// (centred, scaled...) is left as it is. Call on a thread with an event loop:
// it runs one while the portal answers.
WallpaperWay ApplyWallpaper(const std::filesystem::path& file);

}  // namespace platform
