// tessarin: the desktop program. Shows the splash window while the main window is
// built, makes the first-start registration, then opens the file named as the first
// argument, if any (an .stl is imported into a new document, anything else is read
// as a project).
#include <QApplication>
#include <QStringList>
#include <QSurfaceFormat>

#include "shell/app_settings.h"
#include "shell/application.h"
#include "shell/command_icons.h"
#include "shell/dialogs.h"
#include "shell/first_start.h"
#include "shell/gate_form.h"
#include "shell/main_window.h"
#include "shell/smart_gauge.h"
#include "shell/translations.h"
#include "view/scene_view.h"

int main(int argc, char** argv) {
    using namespace tessarin::shell;
    // Every document's view asks for the compatibility profile; as the default it also
    // reaches the contexts Qt makes for the window itself.
    QSurfaceFormat::setDefaultFormat(tessarin::view::TSceneView::SurfaceFormat());
    TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setOrganizationName(QStringLiteral("Tessarin"));
    QApplication::setWindowIcon(ApplicationIcon());
    InstallQtTranslations(application);

    // Owned by itself: it deletes itself when released.
    auto* gate = new TGateForm;
    gate->ShowNow();

    TWidgetDialogs dialogs;
    TSettings settings;
    TMainForm mainForm(dialogs, settings);
    // An exception that escapes an event handler is reported like a failed command; an
    // operation still running under it is left to finish.
    application.SetFailureHandler(
        [&mainForm] { mainForm.ReportCurrentException(mainForm.Gauge().OperationDepth()); });
    if (!settings.SettingsExist()) {
        // A failure of the registration is shown in a message box, which the splash,
        // always on top, must not cover.
        gate->close();
        RunFirstStart(settings, dialogs, QApplication::applicationFilePath(), DefaultDataHome(),
                      &mainForm);
    } else {
        gate->ReleaseWhenReady();
    }
    // The bars get the style the user chose when last changing the settings.
    mainForm.ApplyButtonStyle(settings.ReadSettings().ButtStyle);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        mainForm.SetCommandLineFile(arguments.at(1));
    }
    mainForm.showMaximized();
    const int result = QApplication::exec();
    // The main window goes before the application object.
    application.SetFailureHandler({});
    return result;
}
