// The "Помощь" menu: the help pages in the desktop's browser (or the program's own help
// window when the desktop has none) and the About box.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "shell/about_box.h"
#include "shell/help_files.h"
#include "shell/help_window.h"
#include "shell/main_window.h"

namespace tessarin::shell {

std::vector<TCommand> TMainForm::HelpCommands() {
    return {
        // F1 also reaches it from inside a document window, as the window's own key.
        {.Action = &TMainForm::ButtonHelp,
         .Name = "ButtonHelp",
         .Caption = "Справка",
         .Shortcut = QKeySequence::HelpContents,
         .Run = &TMainForm::ButtonHelpClick},
        {.Action = &TMainForm::ButtonAbout,
         .Name = "ButtonAbout",
         .Caption = "О программе",
         .Run = &TMainForm::ButtonAboutClick},
    };
}

void TMainForm::CreateHelpMenu() {
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Помощь"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    help->addAction(ButtonHelp);
    help->addSeparator();
    help->addAction(ButtonAbout);
}

void TMainForm::ButtonHelpClick() {
    const QString index = FindHelpIndex(HelpFolderList);
    // Desktop launchers report success for files that are not there, so the file is
    // looked for first.
    if (index.isEmpty()) {
        DialogService.Error(this, QStringLiteral("Не найден файл справки"),
                            QStringLiteral("no index.htm in %1").arg(HelpFolderList.join(", ")));
    } else if (!HelpOpener || !HelpOpener(QUrl::fromLocalFile(index))) {
        // The pages are there; what is missing is a program that shows them: the
        // program shows them itself.
        if (HelpPages == nullptr) {
            HelpPages = new THelpWindow(this);
        }
        HelpPages->ShowPage(QUrl::fromLocalFile(index));
    }
}

void TMainForm::ButtonAboutClick() {
    TAboutBox about(this);
    DialogService.RunModal(about);
}

void TMainForm::ShowHelp() {
    ButtonHelpClick();
}

}  // namespace tessarin::shell
