// What a document window needs of the program window that holds it: the dialogs, the
// progress of long operations, the interface settings it follows, the state of the
// shared view commands and the parameter panel, and the notices of its closing.
#pragma once

#include <QString>

#include <functional>

#include "model/base_names.h"
#include "model/types.h"
#include "view/scene_view.h"

namespace tessarin::document {

class TDialogs;
class TMDIChild;

// The interface settings a document window follows: flat or raised panels, the chart
// under the table, user-sized table columns.
struct TDocumentSettings {
    bool FlatPanels = true;
    bool ViewChart = true;
    bool CustomTable = true;
};

// What a document window asks of the main window that holds it.
class TDocumentHost {
public:
    virtual ~TDocumentHost() = default;

    virtual TDialogs& Dialogs() = 0;
    virtual model::TProgress& Progress() = 0;
    // Where the file dialogs start: the settings' Path when UsePath is on, else empty.
    virtual QString DialogFolder() const = 0;
    virtual view::TDisplayToggles DisplayToggles() const = 0;
    virtual view::TMouseMode MouseMode() const = 0;
    // The parameter panel is open (the view then draws the working values).
    virtual bool PanelOpen() const = 0;
    // The parameter panel's mode: 0 when it is closed, else as for OpenManagePanel.
    virtual int ManagePanelMode() const = 0;
    // Opens the parameter panel for the active document in `mode`: 1 static system,
    // 2 kinematic system, 3 dynamic system, 4 working plane. The side bar checks the
    // preconditions first.
    virtual void OpenManagePanel(int mode) = 0;
    // A long operation is running; nothing may close until it has returned.
    virtual bool Busy() const = 0;
    // Saves `document` to its own file (true also when it has none) or asks for a name.
    virtual bool SaveDocument(TMDIChild& document) = 0;
    virtual bool SaveDocumentAs(TMDIChild& document) = 0;
    virtual void UpdateCommandStates() = 0;
    // Runs `step` of a command so that an exception it throws ends neither the program
    // nor a document: the host reports it, finishes the progress the step started and
    // brings the command states up to date. False when `step` threw.
    virtual bool RunGuarded(const std::function<void()>& step) = 0;
    // The interface settings a document window follows, as they are now (read afresh).
    virtual TDocumentSettings DocumentSettings() const = 0;
    // The import options the import dialog starts from: those of the last import
    // confirmed (kept with the settings), and their replacement after an OK.
    virtual model::TImportOptions ImportDefaults() const = 0;
    virtual void SetImportDefaults(const model::TImportOptions& options) = 0;
    // The main window's "Справка" (F1 in a document window).
    virtual void ShowHelp() = 0;
    // A line for the status bar's message panel, such as what a click in the view chose;
    // the next command clears it.
    virtual void ShowStatus(const QString& text) = 0;
    // `document` has agreed to close and is no longer alive; its window goes next.
    virtual void DocumentClosed(TMDIChild& document) = 0;
    // `document` is being destroyed (called first thing in its destructor, while it is
    // still whole); nothing may refer to it afterwards.
    virtual void DocumentDestroyed(TMDIChild& document) = 0;
};

}  // namespace tessarin::document
