// The selection dialog "Выборка": one range text per angle column (G, A, L of the tool
// system, G, A, L, F of the static, kinematic and dynamic systems) in a two-column
// inspector, the search logic ("И" / "ИЛИ") and where to search (the whole cutting edge
// or the current selection).
//
// The dialog is created once and reused: texts, logic and search choice stay as the
// user left them from one showing to the next, also across documents, except what
// Prepare changes. Every way of closing builds the query from the texts; OK with a text
// that is not a range list is refused with "Неверный формат" and the dialog stays open.
// The caller runs the selection only after OK (OKPressed) with a query that is not
// entirely empty (AllEmpty false).
#pragma once

#include <QDialog>
#include <QString>

#include <array>

#include "model/selection.h"
#include "shell/dialogs.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessarin::shell {

class TSelectDlg final : public QDialog {
    Q_OBJECT

public:
    explicit TSelectDlg(TDialogs& dialogs, QWidget* parent = nullptr);

    bool AllEmpty = true;           // all 15 texts were empty at the last close
    bool OKPressed = false;         // OK was pressed during this showing
    model::TSelectDlgInqury Query;  // built at the last close

    // Before each showing: with a selection the search covers it ("в текущей выборке",
    // enabled), without one the whole cutting edge (the choice disabled). The rows of a
    // system whose angles are not computed (definedAngles: ISK, SSK, KSK, DSK) are
    // emptied and made read-only; the others become editable and keep their texts.
    // Range texts are read with `decimalSeparator`, which the note's examples use too.
    void Prepare(bool selectionExists, const std::array<bool, 4>& definedAngles,
                 char decimalSeparator = ',');

    // Fills `query` from the texts and choices: the columns with a text are parsed and
    // used; the first text that does not parse sets Valid false and ends the filling.
    // Also sets AllEmpty, and InvalidColumn to the column that did not parse (-1 none).
    // OK refused says which row it is and quotes its text under "Неверный формат".
    void BuildQuery(model::TSelectDlgInqury& query);
    int InvalidColumn = -1;

    // The text of query column 0..14 (ISK G, A, L; SSK G, A, L, F; KSK ...; DSK ...).
    QString Text(int column) const;
    void SetText(int column, const QString& text);
    bool RowEditable(int column) const;
    QTreeWidgetItem& Row(int column) const { return *Rows.at(static_cast<std::size_t>(column)); }
    QTreeWidget& Inspector() const { return *dxInspector; }

    QRadioButton& FindIn(int index) const;  // 0 whole edge, 1 current selection
    QRadioButton& Logic(int index) const;   // 0 "И", 1 "ИЛИ"
    QPushButton& OKButton() const { return *BitBtnOK; }
    QPushButton& CancelButton() const { return *BitBtnCancel; }
    QPushButton& ResetButton() const { return *BitBtnReset; }

    // FormClose: every close (OK, "Обнулить", "Отмена", the window's close button, Esc)
    // comes through here.
    void done(int result) override;

protected:
    // FormShow.
    void showEvent(QShowEvent* event) override;

private:
    void BitBtnOKClick();
    void BitBtnResetClick();
    void SetExamples(char decimalSeparator);

    TDialogs& Dialogs;
    char Separator = ',';
    QTreeWidget* dxInspector = nullptr;
    std::array<QTreeWidgetItem*, model::kQueryColumnCount> Rows{};
    QButtonGroup* RGFindIn = nullptr;
    QButtonGroup* RGLogic = nullptr;
    QWidget* RGFindInBox = nullptr;
    QLabel* Note = nullptr;
    QPushButton* BitBtnReset = nullptr;
    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnCancel = nullptr;
};

}  // namespace tessarin::shell
