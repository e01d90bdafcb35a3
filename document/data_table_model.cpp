#include "document/data_table_model.h"

#include <algorithm>

#include "document/tolerance_view.h"

namespace tessarin::document {

TDataTableModel::TDataTableModel(const model::TModel& model, QObject* parent)
    : QAbstractTableModel(parent), Model(model) {}

void TDataTableModel::Show(std::vector<int> columns, bool showSelection) {
    beginResetModel();
    Columns = std::move(columns);
    Selection = showSelection;
    endResetModel();
}

int TDataTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return Selection ? static_cast<int>(Model.SelectCutEdge.size())
                     : std::max(Model.SegmentCount, std::int32_t{0});
}

int TDataTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Columns.size());
}

QString TDataTableModel::CellText(int row, int column) const {
    if (column < 0 || column >= static_cast<int>(Columns.size()) || row < 0) {
        return {};
    }
    const model::TStringList& list = Model.Columns[Columns[static_cast<std::size_t>(column)]];
    const std::size_t item = static_cast<std::size_t>(row) + 1;
    return item < list.size() ? QString::fromStdString(list[item]) : QString();
}

QString TDataTableModel::ColumnHeader(int column) const {
    if (column < 0 || column >= static_cast<int>(Columns.size())) {
        return {};
    }
    const int k = Columns[static_cast<std::size_t>(column)];
    if (column == 0) {
        const model::TStringList& list = Model.Columns[k];
        return list.empty() ? QString() : QString::fromStdString(list.front());
    }
    return QString::fromUtf8(model::ColumnTitle(k));
}

QColor TDataTableModel::CellColor(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return {};
    }
    if (ChosenRows) {
        const auto [top, bottom] = ChosenRows();
        if (top <= row && row <= bottom) {
            return {};
        }
    }
    if (Selection) {
        return column > 0 ? kSelectionCellColor : QColor();
    }
    if (column > 1 && OutsideTolerance &&
        OutsideTolerance(row, Columns[static_cast<std::size_t>(column)])) {
        return kOutsideToleranceCellColor;
    }
    if (column <= 1 || !Model.SurfaceData.GeometrySettings.MarkNegative) {
        return {};
    }
    const int k = Columns[static_cast<std::size_t>(column)];
    if (k < 3 || k > 17) {
        return {};
    }
    const model::TMarkedCellsOfCol& marks = Model.MarkedCells.at(static_cast<std::size_t>(k - 3));
    const auto i = static_cast<std::size_t>(row);
    return i < marks.size() && marks[i] ? kNegativeCellColor : QColor();
}

QVariant TDataTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), index.column());
        case Qt::BackgroundRole: {
            const QColor colour = CellColor(index.row(), index.column());
            return colour.isValid() ? QVariant(colour) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant TDataTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return ColumnHeader(section);
    }
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole) {
        return ColumnHeader(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace tessarin::document
