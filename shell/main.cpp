// tessarin: the desktop program. Shows the banner while the main window is built, then
// opens the file named as the first argument, if any (an .stl is imported into a new
// document, anything else is read as a project).
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSplashScreen>
#include <QStringList>
#include <QSurfaceFormat>

#include "shell/app_settings.h"
#include "shell/command_icons.h"
#include "shell/dialogs.h"
#include "shell/main_window.h"
#include "view/scene_view.h"

namespace {

// The splash window: the banner on a 306 x 76 plate.
QPixmap SplashPixmap() {
    QPixmap plate(306, 76);
    plate.fill(QColor(236, 241, 247));
    QPainter painter(&plate);
    painter.drawPixmap(8, 4, tessarin::shell::BannerPixmap());
    painter.setPen(QColor(120, 132, 150));
    painter.drawRect(plate.rect().adjusted(0, 0, -1, -1));
    return plate;
}

}  // namespace

int main(int argc, char** argv) {
    // Every document's view asks for the compatibility profile; as the default it also
    // reaches the contexts Qt makes for the window itself.
    QSurfaceFormat::setDefaultFormat(tessarin::view::TSceneView::SurfaceFormat());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setOrganizationName(QStringLiteral("Tessarin"));
    QApplication::setWindowIcon(tessarin::shell::ApplicationIcon());

    // Shown while the windows are built and gone as soon as the main window is up; the
    // program does not wait for it.
    QSplashScreen splash(SplashPixmap());
    splash.show();
    QApplication::processEvents();

    tessarin::shell::TWidgetDialogs dialogs;
    tessarin::shell::TQSettingsStore settings;
    tessarin::shell::TMainForm mainForm(dialogs, settings);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        mainForm.SetCommandLineFile(arguments.at(1));
    }
    mainForm.showMaximized();
    splash.finish(&mainForm);
    return QApplication::exec();
}
