#include "shell/help_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tessarin::shell {

QStringList HelpFolders() {
    const QString executableDir = QCoreApplication::applicationDirPath();
    QStringList folders;
    auto add = [&folders](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!folder.isEmpty() && !folders.contains(clean)) {
            folders.append(clean);
        }
    };
    add(executableDir + QLatin1Char('/') + QLatin1String(kHelpSubfolder));
    add(executableDir + QStringLiteral("/../share/tessarin/") + QLatin1String(kHelpSubfolder));
#ifdef TESSARIN_INSTALL_DATADIR
    add(QStringLiteral(TESSARIN_INSTALL_DATADIR "/tessarin/") + QLatin1String(kHelpSubfolder));
#endif
    return folders;
}

QString FindHelpIndex(const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString index = QDir(folder).filePath(QLatin1String(kHelpIndex));
        if (QFileInfo(index).isFile()) {
            return index;
        }
    }
    return {};
}

}  // namespace tessarin::shell
