// The main window's commands as a table: one entry per command with its object name,
// caption, hint, shortcut, handler and the rule that enables it. Each menu's part of the
// table lives beside that menu's handlers; UpdateCommandStates walks the whole table.
//
// The rules read only the active document's analysis state and whether the parameter
// panel is open:
// - file commands are off while the panel is open;
// - geometry commands also need an active document;
// - view commands are off without an active document, but keep the state they had
//   while the panel is open (the panel changes nothing they depend on);
// - window commands need an open document, panel or not;
// - the rest (settings, exit, help) are always on.
#pragma once

#include <QKeySequence>

#include <functional>
#include <optional>

class QAction;

namespace tessarin::document {
class TMDIChild;
}

namespace tessarin::shell {

class TMainForm;

// What the command states are decided from.
struct TCommandContext {
    int OpenDocuments = 0;
    // The current document; null also while documents are open but none is current.
    const document::TMDIChild* Active = nullptr;
    bool PanelOpen = false;

    bool Always() const { return true; }
    bool DocumentsOpen() const { return OpenDocuments > 0; }
    // Of the active document's model; false without one.
    bool Loaded() const;
    bool Sorted() const;
    bool FacesShown() const { return Loaded() && Sorted(); }
    bool CutEdge() const;
    bool FeedPlanShown() const;   // loaded, with a working plane
    bool AnglesComputed() const;  // in any system
    bool SelectionMade() const;
};

enum class TCommandKind { Always, File, Geometry, View, Window };

struct TEnabling {
    TCommandKind Kind = TCommandKind::Always;
    bool (TCommandContext::*Condition)() const = &TCommandContext::Always;
};

// The enabled state `enabling` gives in `context`; nothing when the command keeps the
// state it has.
std::optional<bool> EnabledState(const TEnabling& enabling, const TCommandContext& context);

struct TCommand {
    QAction* TMainForm::*Action;  // the main window's field that holds the command
    const char* Name;             // object name, also the name of its icon
    const char* Caption;
    const char* Hint = nullptr;  // status and tool tip; the caption when null
    QKeySequence Shortcut = {};
    std::function<void(TMainForm&)> Run;
    TEnabling Enabling = {};
    bool Checkable = false;
    bool Checked = false;  // the state it starts in
    // Runs also during a long operation: the modes and display toggles, the window
    // arrangement and exit, which start no operation of their own. Every other
    // command is ignored while one runs.
    bool WhileBusy = false;
};

}  // namespace tessarin::shell
