// The parameter panel: the group box "Панель управления" at the bottom of the main
// window, in which the angles of the static, kinematic or dynamic coordinate system or
// of the working plane of the active document's model are typed.
//
// Every change of an edit previews the values into the model's WorkingCS and repaints
// the 3-D view, which draws the working values while the panel is open; OK accepts
// them, "Сброс" loads the accepted values again, "Отмена" closes without accepting
// (WorkingCS keeps the last preview) and "Указать" lets the user pick the main segment
// of the working plane in the document's table.
//
// The plane shown is always the one OK accepts: the working plane is previewed again
// whenever its main segment changes (a row picked, "Сброс"), and the panel previews the
// loaded values on opening and on a change of the active document even when the
// edits' texts happen to stay the same.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

#include "shell/dialogs.h"

class QGroupBox;
class QToolButton;
class QWidget;

namespace tessarin::document {
class TMDIChild;
}

namespace tessarin::shell {

class TFloatEdit;

class TManagePanel final : public QObject {
    Q_OBJECT

public:
    // What the panel needs of the main window that owns it.
    struct THost {
        // The active document window; null when none is open.
        std::function<document::TMDIChild*()> ActiveDocument;
        std::function<void()> UpdateCommandStates;
        // The "SmartCursor" setting, read afresh at every use.
        std::function<bool()> SmartCursor;
        // Runs a step of the panel (its buttons, an edit's change) so that an exception
        // it throws is reported instead of ending the program; run directly when unset.
        std::function<bool(const std::function<void()>&)> RunGuarded;
    };

    enum : std::uint8_t { kClosed = 0, kStatic = 1, kKinematic = 2, kDynamic = 3, kFeedPlan = 4 };

    // Creates the group box (hidden) with its buttons and the two edits; the owner puts
    // GroupBox() at the bottom edge of its window.
    TManagePanel(TDialogs& dialogs, THost host, QObject* parent = nullptr);
    ~TManagePanel() override;

    TFloatEdit* FirstEdit = nullptr;
    TFloatEdit* SecondEdit = nullptr;
    std::uint8_t Mode = kClosed;

    QGroupBox& GroupBox() const { return *GBoxManagePanel; }

    // Open in mode 1..4: shows the mode's edits and the box, loads the accepted values of
    // the active document and previews them. Mode 4 also makes the main segment's row the
    // table's current row (the row showing that segment, also in the selection group).
    void Open(int mode);
    void OpenStatic() { Open(kStatic); }
    void OpenKinematic() { Open(kKinematic); }
    void OpenDynamic() { Open(kDynamic); }
    void OpenFeedPlan() { Open(kFeedPlan); }
    // Hides the box and takes the pick pop-up and pointer from the active document's
    // table and from the table "Указать" put into pick mode; Mode := 0.
    void Close();

    // The preview of the edits' values into the active document's WorkingCS, then a
    // repaint of its 3-D view. Nothing without a document; the view only in mode 0.
    void Preview();
    // The active document changed while the panel may be open: it now works on that one.
    void DocumentActivated();
    // "Выбрать" in the table has set WorkingCS.FeedPlan.HCE.
    void SegmentPicked();

    // Every shown field reads as a number.
    bool FieldsValid() const;

    // OK: refused with a beep while a shown field does not read (the focus goes to it).
    void SpeedButtonOKClick();
    void SpeedButtonSkipClick();
    void SpeedButtonCancelClick();
    void SpeedButtonPickClick();

private:
    void RunStep(void (TManagePanel::*step)());
    void LoadAccepted();
    void PreviewFeedPlanOf(document::TMDIChild& document);
    void ShowMainSegmentRow(document::TMDIChild& document);

    TDialogs& Dialogs;
    THost Host;
    QGroupBox* GBoxManagePanel = nullptr;
    QToolButton* SpeedButtonOK = nullptr;
    QToolButton* SpeedButtonSkip = nullptr;
    QToolButton* SpeedButtonCancel = nullptr;
    QToolButton* SpeedButtonPick = nullptr;
    // The document whose table "Указать" put into pick mode (at most one); Close ends
    // it there.
    QPointer<document::TMDIChild> PickDocument;
};

}  // namespace tessarin::shell
