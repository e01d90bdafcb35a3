#include "shell/first_start.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include "shell/app_settings.h"
#include "shell/command_icons.h"
#include "shell/dialogs.h"

#ifdef Q_OS_WIN
#include <shlobj.h>
#endif

namespace tessarin::shell {

namespace {

const QString kRegisterError =
    QStringLiteral("Не удалось зарегистрировать тип файлов проекта Tessarin");

bool WriteWhole(const QString& path, const QByteArray& contents, QString* problem) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (problem != nullptr) {
            *problem =
                QStringLiteral("cannot create the folder %1").arg(QFileInfo(path).absolutePath());
        }
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() ||
        !file.commit()) {
        if (problem != nullptr) {
            *problem = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        }
        return false;
    }
    return true;
}

// Desktop entry values escape backslashes; Exec arguments with blanks or special
// characters are quoted, inner quotes, backquotes, dollars and backslashes escaped.
QString ExecArgument(const QString& path) {
    static const QString kSpecial = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    bool quote = false;
    for (const QChar c : path) {
        quote = quote || kSpecial.contains(c);
    }
    if (!quote) {
        return path;
    }
    QString escaped;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    // The whole value is a string of the desktop entry, whose own escape doubles each
    // backslash; "%" is written "%%" to stay literal.
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QByteArray DesktopEntry(const QString& executable) {
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Version=1.0\n");
    text += QStringLiteral("Name=Tessarin\n");
    text += QStringLiteral("GenericName=Geometry of cutting tools\n");
    text += QStringLiteral("GenericName[ru]=Геометрия режущих инструментов\n");
    text +=
        QStringLiteral("Comment=Analyse the geometry of cutting tools with indexable inserts\n");
    text += QStringLiteral("Comment[ru]=Анализ геометрических параметров инструментов с СМП\n");
    text += QStringLiteral("Exec=%1 %f\n").arg(ExecArgument(executable));
    text += QStringLiteral("Icon=tessarin\n");
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("Categories=Graphics;Engineering;Qt;\n");
    text += QStringLiteral("MimeType=%1;\n").arg(QLatin1String(kProjectMimeType));
    return text.toUtf8();
}

QByteArray MimeInfo() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-tessarin-project\">\n"
        "    <comment>Tessarin project</comment>\n"
        "    <comment xml:lang=\"ru\">Проект Tessarin</comment>\n"
        "    <sub-class-of type=\"text/plain\"/>\n"
        "    <icon name=\"tessarin\"/>\n"
        "    <glob pattern=\"*.tsf\"/>\n"
        "    <magic priority=\"60\">\n"
        "      <match type=\"string\" offset=\"0\" value=\"=====Tessarin 1 TextFile=====\"/>\n"
        "    </magic>\n"
        "  </mime-type>\n"
        "</mime-info>\n");
}

// Runs a database tool when it is installed; its failure only delays the association.
void Refresh(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return;
    }
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (process.waitForStarted(5000)) {
        process.waitForFinished(30000);
    }
}

}  // namespace

QString DefaultDataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        return xdg;
    }
    return QDir::homePath() + QStringLiteral("/.local/share");
}

bool RegisterFileAssociation(const QString& executable, const QString& dataHome, QString* problem) {
#ifdef Q_OS_WIN
    Q_UNUSED(dataHome);
    // The per-user classes key needs no administrator; its entries take precedence over
    // the machine's. Quoted, so that paths with blanks open by a double click.
    QSettings classes(QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes"),
                      QSettings::NativeFormat);
    classes.setValue(QStringLiteral(".tsf/Default"), QStringLiteral("Tessarin.Document"));
    classes.setValue(QStringLiteral("Tessarin.Document/Default"),
                     QStringLiteral("Проект Tessarin"));
    classes.setValue(QStringLiteral("Tessarin.Document/shell/open/command/Default"),
                     QStringLiteral("\"%1\" \"%2\"")
                         .arg(QDir::toNativeSeparators(executable), QStringLiteral("%1")));
    classes.sync();
    if (classes.status() != QSettings::NoError) {
        if (problem != nullptr) {
            *problem = QStringLiteral("cannot write HKEY_CURRENT_USER\\Software\\Classes");
        }
        return false;
    }
    // Explorer caches the associations; it rereads them when told.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
#else
    const QDir home(dataHome);
    const QString applications = home.filePath(QStringLiteral("applications"));
    const QString mime = home.filePath(QStringLiteral("mime"));
    if (!WriteWhole(QDir(applications).filePath(QLatin1String(kDesktopEntryName)),
                    DesktopEntry(QFileInfo(executable).absoluteFilePath()), problem) ||
        !WriteWhole(QDir(mime).filePath(QStringLiteral("packages/tessarin.xml")), MimeInfo(),
                    problem)) {
        return false;
    }
    // The icon is a nicety: the association works without it.
    const QString iconFolder = home.filePath(QStringLiteral("icons/hicolor/64x64/apps"));
    if (QDir().mkpath(iconFolder)) {
        ApplicationIcon().pixmap(64, 64).save(QDir(iconFolder).filePath("tessarin.png"), "PNG");
    }
    Refresh(QStringLiteral("update-mime-database"), {mime});
    Refresh(QStringLiteral("update-desktop-database"), {applications});
    return true;
#endif
}

bool RunFirstStart(TSettingsStore& settings, TDialogs& dialogs, const QString& executable,
                   const QString& dataHome, QWidget* parent) {
    if (settings.SettingsExist()) {
        return false;
    }
    settings.CreateDefaultSettings();
    QString problem;
    if (!RegisterFileAssociation(executable, dataHome, &problem)) {
        dialogs.Beep();
        dialogs.Error(parent, kRegisterError, problem);
    }
    return true;
}

}  // namespace tessarin::shell
