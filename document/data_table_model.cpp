#include "document/data_table_model.h"

#include <algorithm>
#include <cmath>

#include "base/number_format.h"
#include "document/derived_columns.h"
#include "model/systems.h"

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
    const int code = Columns[static_cast<std::size_t>(column)];
    if (code > model::kColumnCount) {
        return ExtraCellText(row, code);
    }
    const model::TStringList& list = Model.Columns[code];
    const std::size_t item = static_cast<std::size_t>(row) + 1;
    return item < list.size() ? QString::fromStdString(list[item]) : QString();
}

QString TDataTableModel::ColumnHeader(int column) const {
    if (column < 0 || column >= static_cast<int>(Columns.size())) {
        return {};
    }
    const int k = Columns[static_cast<std::size_t>(column)];
    if (IsEdgeColumnCode(k)) {
        return QStringLiteral("Кромка");
    }
    if (IsDerivedCode(k)) {
        const model::TAngleId id = DerivedAngle(k);
        return QString::fromUtf8(model::SystemInfo(id.System).TitlePrefix) + QLatin1Char(' ') +
               QString::fromUtf8(model::AngleKindInfo(id.Kind).TitleWord);
    }
    if (k > model::kColumnCount) {
        return {};
    }
    if (column == 0) {
        const model::TStringList& list = Model.Columns[k];
        return list.empty() ? QString() : QString::fromStdString(list.front());
    }
    return QString::fromUtf8(model::ColumnTitle(k));
}

const model::TSegment* TDataTableModel::SegmentOfRow(int row, int code) const {
    const model::TCutEdgeData& list = IsSelectionCode(code) ? Model.SelectCutEdge : Model.CutEdge;
    return row >= 0 && static_cast<std::size_t>(row) < list.size()
               ? &list[static_cast<std::size_t>(row)]
               : nullptr;
}

QString TDataTableModel::ExtraCellText(int row, int code) const {
    const model::TSegment* segment = SegmentOfRow(row, code);
    if (segment == nullptr) {
        return {};
    }
    if (IsEdgeColumnCode(code)) {
        // A selected segment keeps its cutting-edge number; one that no longer names a
        // segment of the cutting edge (after a discard) has no edge.
        const long long k = IsSelectionCode(code) ? static_cast<long long>(segment->Number) - 1
                                                  : static_cast<long long>(row);
        if (k < 0 || k >= static_cast<long long>(Edges.EdgeOfSegment.size())) {
            return {};
        }
        const std::int32_t edge = Edges.EdgeOfSegment[static_cast<std::size_t>(k)];
        return edge >= 0 && static_cast<std::size_t>(edge) < Edges.Edges.size()
                   ? QString::number(Edges.Edges[static_cast<std::size_t>(edge)].Number)
                   : QString();
    }
    if (!IsDerivedCode(code)) {
        return {};
    }
    const model::TAngleId id = DerivedAngle(code);
    if (!Model.DefinedAngles.at(static_cast<std::size_t>(id.System))) {
        return {};
    }
    const double value = model::AngleValue(*segment, Model.AcceptedCS, id);
    return std::isnan(value) ? QString()
                             : QString::fromStdString(base::FloatToStrAcc(
                                   Model.GetAccuracy(), value, Model.DecimalSeparator));
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
