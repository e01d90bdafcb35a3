// The first start of the program for a user: the default settings and the file
// association of project files (".tsf").
//
// On Linux the association is made for the current user, under the XDG data folder
// (XDG_DATA_HOME, else ~/.local/share): a desktop entry applications/tessarin.desktop
// whose Exec is the executable's full path and %f, the MIME type
// application/x-tessarin-project for "*.tsf" in mime/packages/tessarin.xml, and the
// program's icon; the desktop and MIME databases are refreshed when their tools are
// installed. On Windows it is the per-user classes key: ".tsf" → "Tessarin.Document",
// whose open command is the quoted executable path and "%1".
#pragma once

#include <QString>

#include "shell/dialogs.h"

class QWidget;

namespace tessarin::shell {

class TSettingsStore;

inline constexpr char kDesktopEntryName[] = "tessarin.desktop";
inline constexpr char kProjectMimeType[] = "application/x-tessarin-project";

// The user's XDG data folder: XDG_DATA_HOME, else ~/.local/share.
QString DefaultDataHome();

// Writes the association for `executable` under `dataHome` (ignored on Windows). False,
// with the reason in `problem`, when a file could not be written; a database tool
// that fails is not a failure (the entries take effect at the next login).
bool RegisterFileAssociation(const QString& executable, const QString& dataHome,
                             QString* problem = nullptr);

// When the settings do not exist yet: writes the defaults and the association; a
// failure of the association is shown once through `dialogs` and start-up goes on.
// Returns whether this was the first start. A later start writes nothing.
bool RunFirstStart(TSettingsStore& settings, TDialogs& dialogs, const QString& executable,
                   const QString& dataHome, QWidget* parent = nullptr);

}  // namespace tessarin::shell
