// The data panel of a document window (PanelData): the data tree, the table of the
// columns the tree chooses, and under them the angle chart in the group box "График".
// Beside the table, in a tab of its own ("Кромки"), the summary of the cutting edge's
// edges: one row per edge (and one for the whole tool) with its segments, length, polar
// range and the minimum, mean and maximum of the angle chosen above the summary.
//
// The panel reads and writes the document's model and its ShowSelection flag (true
// while the table shows the selection group), both owned by the document window.
#pragma once

#include <QWidget>

#include <utility>
#include <vector>

#include "model/model.h"

class QAction;
class QGroupBox;
class QMenu;
class QComboBox;
class QSplitter;
class QTableView;
class QTableWidget;
class QTabWidget;

namespace tessarin::document {

class TAngleChart;
class TDataTableModel;
class TDataTree;
class TDialogs;

class TDataPanel final : public QWidget {
    Q_OBJECT

public:
    TDataPanel(model::TModel& model, bool& showSelection, TDialogs& dialogs,
               QWidget* parent = nullptr);

    // BuildDataTree: the tree from the model's flags; the table keeps its columns until
    // a node is chosen.
    void BuildDataTree();
    // Selects the first node of `kind` alone; SelectFirstChild the node right after the
    // root of `rootKind` (1 or 21). False, after the beep and "Ошибка дерева данных",
    // when there is no such node; the selection is then left as it was.
    bool SelectTreeNode(int kind);
    bool SelectFirstChild(int rootKind);
    // Table and chart from ShownColumns. The rows chosen stay chosen as long as their
    // segments are shown (found by their end points, so a discard, a new computation or
    // a switch between the groups keeps them); when none of them is, or none was chosen,
    // the first row is.
    void RefreshDataPanel();
    const std::vector<int>& ShownColumns() const;
    // What the table shows: ShownColumns, then the columns of the chosen edge and derived
    // angle nodes in tree order.
    const std::vector<int>& TableColumns() const { return AllColumns; }

    // The derived angles of the cutting-edge group the table shows, whose systems' angles
    // are computed, in table order: what an export adds after the table's own columns.
    // None while the selection group shows (an export's extras are per cutting-edge
    // segment).
    std::vector<model::TAngleId> ExportedAngles() const;

    // The edge summary: the tab, its table and the angle it summarises.
    QTabWidget& Tabs() const { return *DataTabs; }
    QTableWidget& EdgeTable() const { return *EdgeSummary; }
    QComboBox& EdgeAngleBox() const { return *EdgeAngle; }
    // Fills the edge summary afresh (it is filled when its tab is shown after a change).
    void FillEdgeSummary();
    // The edge chosen in the summary: its first cutting-edge index and its segment count
    // (it may run past the end on from 0); (-1, 0) for none.
    std::pair<int, int> HighlightedEdge() const;

    // First and last table row chosen (0-based); (-1, -1) for none.
    std::pair<int, int> ChosenRows() const;
    // First and last cutting-edge index of the rows chosen; (-1, -1) for none. In the
    // selection group the indices come from the segments' numbers; numbers that no
    // longer lie within the cutting edge (after a discard) are passed over.
    std::pair<int, int> GetSelectedSegmentRange() const;
    // Chooses table rows first..last (0-based), as dragging over them does.
    void ChooseRows(int first, int last);
    // The table row of cutting-edge segment `index`: row `index` in the cutting-edge
    // group, the row whose segment number is `index` + 1 in the selection group; -1 when
    // the group shown has no such row.
    int RowOfSegment(int index) const;
    // Makes the row of segment `index` the current (and only chosen) row and scrolls to
    // it; without such a row no row stays chosen, so none is taken for that segment.
    void ShowSegmentRow(int index);

    // Pick mode: one row at a time and the pop-up "Выбрать" / "Отмена".
    void EnterPickMode();
    void DetachPickMenu();
    bool InPickMode() const { return PickMode; }
    // "Выбрать": WorkingCS.FeedPlan.HCE := the cutting-edge index of the current row,
    // then pick mode ends and Picked is emitted. Without a current row only pick mode
    // ends.
    void PickCurrentRow();
    void LeavePickMode();

    // The settings: user-sized columns, the chart shown (230 pixels) or collapsed (2),
    // flat or raised borders.
    void SetColumnResizing(bool on);
    void SetChartShown(bool shown);
    int ChartHeight() const { return ChartBoxHeight; }
    void SetFlat(bool flat);

    // The chosen rows as tab-separated text with the column headers ("Копировать").
    QString ChosenRowsText() const;

    TDataTree& Tree() const { return *TreeViewData; }
    QTableView& Table() const { return *StringGridData; }
    // The "№" column that stays in place while the table scrolls sideways: a view of the
    // same rows and chosen rows lying over the table's first column.
    QTableView& NumberColumn() const { return *FrozenNumbers; }
    TDataTableModel& TableModel() const { return *GridModel; }
    TAngleChart& Chart() const { return *DataChart; }
    QGroupBox& ChartBox() const { return *GBTable; }

signals:
    // The rows chosen in the table changed: the 3-D view highlights them.
    void ChosenRowsChanged();
    // "Выбрать" has set WorkingCS.FeedPlan.HCE.
    void Picked();
    // An entry of the table menu's export list: the key of its table format
    // (project/output_formats.h); empty means the list's first format.
    void ExportRequested(const QString& formatKey = QString());
    void SaveChartRequested();
    // Another edge (or none) is chosen in the edge summary: the 3-D view highlights it.
    void HighlightedEdgeChanged();

private:
    // The end points of the segments of the first and last chosen rows, kept at every
    // change of the chosen rows so that they outlive a change of the model.
    struct TChosenEnds {
        bool Any = false;
        model::TSegment First;
        model::TSegment Last;
    };
    void RememberChosenRows();
    void RestoreChosenRows();

    void TreeViewDataChange();
    QWidget* CreateEdgeTab();
    // The number column's columns, width and place follow the table's.
    void UpdateNumberColumn();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ShowTableMenu(const QPoint& position);
    void ApplyTableOptions();
    bool SelectKindNode(int kind);

    model::TModel& Model;
    bool& ShowSelection;
    TDialogs& Dialogs;

    TDataTree* TreeViewData = nullptr;
    QTableView* StringGridData = nullptr;
    QTableView* FrozenNumbers = nullptr;
    TDataTableModel* GridModel = nullptr;
    TAngleChart* DataChart = nullptr;
    QGroupBox* GBTable = nullptr;
    QSplitter* Splitter2 = nullptr;
    QSplitter* Splitter3 = nullptr;
    QMenu* PopupMenuTable = nullptr;
    QAction* CopyAction = nullptr;
    std::vector<int> Columns;
    std::vector<int> Derived;  // the edge and derived codes the tree chooses
    std::vector<int> AllColumns;
    TChosenEnds Chosen;
    QTabWidget* DataTabs = nullptr;
    QTableWidget* EdgeSummary = nullptr;
    QComboBox* EdgeAngle = nullptr;
    bool EdgeSummaryStale = true;
    bool Refreshing = false;
    bool PickMode = false;
    bool ColumnResizing = true;
    int ChartBoxHeight = 230;
};

}  // namespace tessarin::document
