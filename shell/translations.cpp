#include "shell/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tessarin::shell {

bool InstallQtTranslations(QCoreApplication& application) {
    // The program speaks Russian whatever the system's language, so Qt's texts follow it,
    // not the locale.
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace tessarin::shell
