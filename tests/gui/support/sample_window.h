// A project opened in the main window of a GUI test, its hidden document window sized so
// that tree nodes and table rows have places to click.
#pragma once

#include <QString>
#include <QtGlobal>

#include "document/data_panel.h"
#include "document/mdi_child.h"
#include "shell/main_window.h"
#include "tests/gui/support/scripted_dialogs.h"

namespace tessarin::test {

// Opens `path` as the active document and clears what the opening told `dialogs`; a
// project that does not open ends the test run.
inline document::TMDIChild* OpenProjectInSizedWindow(shell::TMainForm& form,
                                                     TScriptedDialogs& dialogs,
                                                     const QString& path) {
    form.OpenProjectDocument(path);
    document::TMDIChild* document = form.ActiveDocument();
    if (document == nullptr) {
        qFatal("the project %s did not open", qPrintable(path));
    }
    document->resize(1400, 900);
    // The data panel wide enough for the table's columns, whatever the window's layout
    // does with the sizes below when it runs.
    document->Data().setMinimumWidth(1000);
    document->Data().Tree().resize(260, 700);
    document->Data().Table().resize(700, 500);
    dialogs.Clear();
    return document;
}

}  // namespace tessarin::test
