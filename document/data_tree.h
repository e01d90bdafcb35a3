// The data tree of a document window: which result groups exist ("Режущая кромка",
// "Выборка"), their coordinate systems and angles. Choosing nodes chooses the table's
// columns and the chart's lines.
//
// Node kinds: the cutting-edge group root 1, its system nodes 2 (ISK), 6 (SSK), 11 (KSK),
// 16 (DSK), each followed by its angle nodes (ISK 3..5, SSK 7..10, KSK 12..15, DSK
// 17..20: rake, clearance, inclination, plan angle). The selection group has no root kind
// of its own in the first group and uses the same kinds plus 20 (root 21, systems 22, 26,
// 31, 36).
//
// After a system's angle nodes come the nodes of its derived angles (γn, αn, ...), whose
// kinds are their table columns' codes (document/derived_columns.h): 100 and more in the
// cutting-edge group, 200 and more in the selection group. The last node under a group's
// root, "Кромки", chooses the edge number column (kind 99, or 199 in the selection).
#pragma once

#include <QTreeWidget>

#include <vector>

#include "document/derived_columns.h"
#include "model/model.h"

namespace tessarin::document {

// Kinds of 21 and more belong to the selection group.
inline constexpr int kSelectionKindOffset = 20;
inline constexpr int kCutEdgeRootKind = 1;
inline constexpr int kSelectionRootKind = 21;

constexpr bool IsSelectionKind(int kind) {
    return IsExtraCode(kind) ? IsSelectionCode(kind) : kind > kSelectionKindOffset;
}

// The system node kind of the cutting-edge group: 2, 6, 11, 16 for ISK..DSK.
int SystemNodeKind(int system);

// The table columns (1..34) that the selected nodes show, given their kinds in tree
// order: a group's number and polar columns first, a system node's angle columns, an
// angle node's own column unless its system node is selected too. Each column once. A
// derived angle's node brings only its group's number and polar columns here; its own
// column comes from DerivedColumnsOf.
std::vector<int> ShownColumnsOf(const std::vector<int>& selectedKinds);

class TDataTree final : public QTreeWidget {
    Q_OBJECT

public:
    explicit TDataTree(QWidget* parent = nullptr);

    // BuildDataTree: clears the tree and adds the groups, systems and angles the model's
    // flags say exist. Emits no selection change.
    //
    // Whatever chooses nodes, they always belong to one group (see KeepOneGroup).
    void Build(const model::TModel& model);

    // One kind per node in top-to-bottom order.
    const std::vector<int>& NodeKinds() const { return Kinds; }
    // Kinds of the selected nodes in tree order.
    std::vector<int> SelectedKinds() const;
    // The first node of `kind`; null when there is none.
    QTreeWidgetItem* FindNode(int kind) const;
    // Selects `node` alone, as a plain click does.
    void SelectNode(QTreeWidgetItem* node);

    static int KindOf(const QTreeWidgetItem* node);

signals:
    // A click is about to change the selection (TreeViewDataChanging allowed it):
    // `kind` is the clicked node's.
    void NodeChanging(int kind);

protected:
    // TreeViewDataChanging: with Ctrl or Shift held, a node of the other group than the
    // selected ones is refused; without them the click replaces the selection.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    // Nodes of one group at a time, however they were chosen (a click, a drag over both
    // groups, Ctrl+A): when a change leaves nodes of both, those of the group that was
    // chosen before go on (of the current node's group when none was), the others are
    // unselected before anybody hears of the change.
    void KeepOneGroup();

    std::vector<int> Kinds;
    int ChosenGroup = -1;  // 0 cutting edge, 1 selection, -1 nothing chosen
};

}  // namespace tessarin::document
