// The data table as a Qt table model over the document model's text columns: no copy of
// the texts is made, so 100 000 segments open and scroll at once.
//
// Table column c shows model column ShownColumns[c]; table row r (0-based) shows item
// r + 1 of that column, item 0 being its header text. A column shorter than the table
// leaves its cells empty.
//
// Columns beyond the 34 (document/derived_columns.h) show the edge number of each segment
// and the derived angles; their cells are computed from the segments when they are drawn,
// so only the rows on screen cost anything.
#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include <functional>
#include <utility>
#include <vector>

#include "model/edges.h"
#include "model/model.h"

namespace tessarin::document {

// Background of a negative angle in the cutting-edge group.
inline const QColor kNegativeCellColor{255, 136, 153};
// Background of the data cells of the selection group.
inline const QColor kSelectionCellColor{238, 238, 255};

class TDataTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TDataTableModel(const model::TModel& model, QObject* parent = nullptr);

    // Table rows chosen: first and last row (0-based), (-1, -1) for none. Cells of these
    // rows are never coloured.
    std::function<std::pair<int, int>()> ChosenRows;
    // Segment `row` (index into the cutting edge) is outside the tolerance of the angle
    // of model column k: its cell is orange (kOutsideToleranceCellColor) in place of the
    // negative pink. Unset: no cell is.
    std::function<bool(int row, int k)> OutsideTolerance;

    // RefreshDataPanel: shows `columns` (1..34, or the codes of derived_columns.h) of the
    // cutting-edge group or of the selection group. The row count is that of the group's
    // segments.
    void Show(std::vector<int> columns, bool showSelection);
    const std::vector<int>& ShownColumns() const { return Columns; }
    bool ShowSelection() const { return Selection; }

    // The background a data cell gets (StringGridDataDrawCell): pale blue for every
    // column but the first in the selection group; pink for a negative angle in the
    // cutting-edge group when MarkNegative is set; invalid (no colour) otherwise and for
    // the chosen rows.
    QColor CellColor(int row, int column) const;
    // The text of a cell; empty past the end of its column.
    QString CellText(int row, int column) const;
    // The header of a table column: "№" (or empty) for the first, the title otherwise.
    QString ColumnHeader(int column) const;

    // The edges the edge column numbers the segments by (GroupModelEdges of the model);
    // the caller sets them again whenever the cutting edge changes.
    void SetEdges(model::TEdges edges) { Edges = std::move(edges); }
    const model::TEdges& GetEdges() const { return Edges; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const model::TModel& Model;
    // The segment a row shows, in the group of `code`; null past its end.
    const model::TSegment* SegmentOfRow(int row, int code) const;
    QString ExtraCellText(int row, int code) const;

    std::vector<int> Columns;
    bool Selection = false;
    model::TEdges Edges;
};

}  // namespace tessarin::document
