// The "Окно" menu: the document windows tiled or cascaded, and the list of open
// documents with the active one checked.
#include <QAction>
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include "shell/main_window.h"

namespace tessarin::shell {

using document::TMDIChild;

std::vector<TCommand> TMainForm::WindowCommands() {
    const TEnabling withDocuments{TCommandKind::Window, &TCommandContext::DocumentsOpen};
    return {
        {.Action = &TMainForm::ButtonTiled,
         .Name = "ButtonTiled",
         .Caption = "Упорядочить",
         .Run = [](TMainForm& form) { form.Area->tileSubWindows(); },
         .Enabling = withDocuments,
         .WhileBusy = true},
        {.Action = &TMainForm::ButtonCascade,
         .Name = "ButtonCascade",
         .Caption = "Каскад",
         .Run = [](TMainForm& form) { form.Area->cascadeSubWindows(); },
         .Enabling = withDocuments,
         .WhileBusy = true},
    };
}

void TMainForm::CreateWindowMenu() {
    MenuWindow = menuBar()->addMenu(QStringLiteral("&Окно"));
    MenuWindow->setObjectName(QStringLiteral("MenuWindow"));
    MenuWindow->addAction(ButtonTiled);
    MenuWindow->addAction(ButtonCascade);
    MenuWindow->addSeparator();
    connect(MenuWindow, &QMenu::aboutToShow, this, &TMainForm::CheckActiveWindowEntry);
    WindowListGroup = new QActionGroup(this);
    WindowListGroup->setExclusive(true);
}

void TMainForm::AddWindowListEntry(TMDIChild& document, const QString& text) {
    auto* entry = new QAction(text, this);
    entry->setCheckable(true);
    WindowListGroup->addAction(entry);
    MenuWindow->addAction(entry);
    TMDIChild* target = &document;
    // The entry goes when its document closes, so `target` is whole whenever it fires.
    connect(entry, &QAction::triggered, this, [this, target] {
        if (auto* window = qobject_cast<QMdiSubWindow*>(target->parentWidget())) {
            if (window->isMinimized()) {
                window->showNormal();
            }
            Area->setActiveSubWindow(window);
            window->raise();
        }
    });
    WindowList.push_back({target, entry});
}

void TMainForm::RemoveWindowListEntry(TMDIChild& document) {
    for (auto it = WindowList.begin(); it != WindowList.end(); ++it) {
        if (it->Window == &document) {
            delete it->Action;
            WindowList.erase(it);
            return;
        }
    }
}

void TMainForm::CheckActiveWindowEntry() {
    const TMDIChild* active = ActiveDocument();
    for (const TWindowListEntry& entry : WindowList) {
        entry.Action->setChecked(entry.Window == active && active != nullptr);
    }
}

QStringList TMainForm::WindowListEntries() const {
    QStringList texts;
    for (const TWindowListEntry& entry : WindowList) {
        texts.append(entry.Action->text());
    }
    return texts;
}

}  // namespace tessarin::shell
