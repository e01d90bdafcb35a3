// The selection dialog "Выборка": one range text per angle column (G, A, L of the tool
// system, G, A, L, F of the static, kinematic and dynamic systems) in a two-column
// inspector, the search logic ("И" / "ИЛИ") and where to search (the whole cutting edge
// or the current selection). After each system's rows come the rows of its derived
// angles (model/angle_keys.h: γn, αn, ...), whose ranges go into the query's Derived
// list; they are kept apart from the 15 query columns.
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
#include <vector>

#include "model/angle_keys.h"
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

    bool AllEmpty = true;           // all texts (15 and derived) were empty at the last close
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
    // Then the derived rows with a text, in their order, into query.Derived. Also sets
    // AllEmpty, and InvalidColumn to the column that did not parse (-1 none; a derived
    // row i is kQueryColumnCount + i).
    // OK refused says which row it is and quotes its text under "Неверный формат".
    void BuildQuery(model::TSelectDlgInqury& query);
    int InvalidColumn = -1;

    // The text of query column 0..14 (ISK G, A, L; SSK G, A, L, F; KSK ...; DSK ...).
    QString Text(int column) const;
    void SetText(int column, const QString& text);
    bool RowEditable(int column) const;
    QTreeWidgetItem& Row(int column) const { return *Rows.at(static_cast<std::size_t>(column)); }
    QTreeWidget& Inspector() const { return *dxInspector; }

    // The derived rows: every derived kind each system has, system after system.
    int DerivedRowCount() const { return static_cast<int>(DerivedRows.size()); }
    QTreeWidgetItem& DerivedRow(int i) const {
        return *DerivedRows.at(static_cast<std::size_t>(i)).Item;
    }
    model::TAngleId DerivedRowAngle(int i) const {
        return DerivedRows.at(static_cast<std::size_t>(i)).Angle;
    }
    // The derived row of `item`; -1 for any other row.
    int DerivedRowIndex(const QTreeWidgetItem* item) const;

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
    struct TDerivedRow {
        model::TAngleId Angle;
        QTreeWidgetItem* Item = nullptr;
    };
    std::vector<TDerivedRow> DerivedRows;
    // The row of column 0..14, or of derived row column - 15.
    QTreeWidgetItem& AnyRow(int column) const;
    QButtonGroup* RGFindIn = nullptr;
    QButtonGroup* RGLogic = nullptr;
    QWidget* RGFindInBox = nullptr;
    QLabel* Note = nullptr;
    QPushButton* BitBtnReset = nullptr;
    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnCancel = nullptr;
};

}  // namespace tessarin::shell
