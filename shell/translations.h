// Qt's own texts (standard buttons, file dialogs, context menus of edit fields) in
// Russian, like the rest of the program.
#pragma once

#include <QString>

class QCoreApplication;

namespace tessarin::shell {

// Installs Qt's Russian translations (qtbase_ru from Qt's translations folder, the
// Debian package qt6-translations-l10n) into `application`. False, and the English texts
// stay, when they are not installed.
bool InstallQtTranslations(QCoreApplication& application);

}  // namespace tessarin::shell
