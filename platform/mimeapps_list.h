#pragma once
// Edits the "[Default Applications]" group of a freedesktop mimeapps.list,
// leaving every other line as it was.
#include <QString>

namespace platform {

// Makes `desktopId` the default application for `mimeType`. The file and its
// folder are made when missing. Returns whether the file was written.
bool SetDefaultApplication(const QString& listPath, const QString& mimeType, const QString& desktopId);

// Takes `desktopId` out of the defaults for `mimeType`, and the key when no
// other application is left in it. Other programs' entries stay.
bool RemoveDefaultApplication(const QString& listPath, const QString& mimeType,
                              const QString& desktopId);

// The default applications for `mimeType`, in their order.
QStringList DefaultApplications(const QString& listPath, const QString& mimeType);

}  // namespace platform
