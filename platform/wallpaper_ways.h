#pragma once
// The single ways of setting a wallpaper, for desktop_wallpaper.cpp.
#include <QString>

namespace platform::wallpaper {

enum class Outcome { Done, Failed, Declined };

// `uri` is an absolute file URI with no quote characters in it.
Outcome SetByPortal(const QString& uri);
bool SetByPlasma(const QString& uri);
// Whether a D-Bus service of this name runs on the session bus.
bool SessionServiceRuns(const QString& name);

}  // namespace platform::wallpaper
