#pragma once
// A message in the desktop's notification area, through the freedesktop
// notification service on the session bus.
#include <QString>

namespace window {

// Sent without waiting for an answer; nothing happens without a session
// bus or a notification service.
void NotifyDesktop(const QString& appName, const QString& summary, const QString& body);

}  // namespace window
