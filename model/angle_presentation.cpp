// Table columns, chart series and negative-value marks derived from the segments.
#include <string>

#include "base/number_format.h"
#include "model/model.h"
#include "model/systems.h"

namespace tessarin::model {

void TModel::FillNumberColumns() {
    const int accuracy = GetAccuracy();
    TStringList& numbers = Columns[1];
    TStringList& polars = Columns[2];
    numbers.clear();
    polars.clear();
    numbers.reserve(CutEdge.size() + 1);
    polars.reserve(CutEdge.size() + 1);
    numbers.emplace_back("№");
    polars.emplace_back();
    for (std::size_t i = 0; i < CutEdge.size(); ++i) {
        CutEdge[i].Number = static_cast<std::int32_t>(i + 1);
        numbers.push_back(std::to_string(i + 1));
        polars.push_back(base::FloatToStrAcc(accuracy, CutEdge[i].Polar, DecimalSeparator));
    }
}

void TModel::FillAngleColumns(int system) {
    const int accuracy = GetAccuracy();
    const int first = SystemInfo(system).FirstColumn;
    const int count = SystemInfo(system).AngleCount;
    for (int c = 0; c < count; ++c) {
        TStringList& column = Columns[first + c];
        column.clear();
        column.reserve(CutEdge.size() + 1);
        column.emplace_back();
        Series(first + c).Clear();
        Series(first + c).Reserve(CutEdge.size());
    }
    for (const TSegment& segment : CutEdge) {
        const std::array<double, 4> angles = SegmentAngles(segment, system);
        const double x = base::RoundAcc(accuracy, segment.Polar);
        for (int c = 0; c < count; ++c) {
            const double angle = angles[static_cast<std::size_t>(c)];
            Columns[first + c].push_back(base::FloatToStrAcc(accuracy, angle, DecimalSeparator));
            Series(first + c).Add(x, base::RoundAcc(accuracy, angle));
        }
    }
}

void TModel::FillAngleMarks(int system) {
    const int first = SystemInfo(system).FirstColumn;
    const int count = SystemInfo(system).AngleCount;
    for (int c = 0; c < count; ++c) {
        MarkedCells.at(static_cast<std::size_t>(first + c - 3)).resize(CutEdge.size());
    }
    for (std::size_t i = 0; i < CutEdge.size(); ++i) {
        const std::array<double, 4> angles = SegmentAngles(CutEdge[i], system);
        for (int c = 0; c < count; ++c) {
            // Marked when not at least zero: negative values and NaN alike, judged on
            // the unrounded value.
            MarkedCells.at(static_cast<std::size_t>(first + c - 3))[i] =
                !(angles[static_cast<std::size_t>(c)] >= 0.0);
        }
    }
}

void TModel::RefillColumns() {
    if (!CutEdgeExist) {
        return;
    }
    FillNumberColumns();
    for (int system = kISK; system <= kDSK; ++system) {
        if (DefinedAngles[static_cast<std::size_t>(system)]) {
            FillAngleColumns(system);
        }
    }
    if (SelectCutEdgeExist) {
        FillSelectionLists();
    }
}

void TModel::FillSelectionLists() {
    SurfaceData.Modified = true;
    const int accuracy = GetAccuracy();
    for (int k = 1 + kSelectionColumnOffset; k <= kColumnCount; ++k) {
        Columns[k].clear();
        Columns[k].reserve(SelectCutEdge.size() + 1);
        Columns[k].emplace_back();
    }
    for (const TSegment& segment : SelectCutEdge) {
        Columns[1 + kSelectionColumnOffset].push_back(std::to_string(segment.Number));
        Columns[2 + kSelectionColumnOffset].push_back(
            base::FloatToStrAcc(accuracy, segment.Polar, DecimalSeparator));
        for (int system = kISK; system <= kDSK; ++system) {
            if (!DefinedAngles.at(static_cast<std::size_t>(system))) {
                continue;
            }
            const int first = SystemInfo(system).FirstColumn + kSelectionColumnOffset;
            const std::array<double, 4> angles = SegmentAngles(segment, system);
            for (int c = 0; c < SystemInfo(system).AngleCount; ++c) {
                Columns[first + c].push_back(base::FloatToStrAcc(
                    accuracy, angles[static_cast<std::size_t>(c)], DecimalSeparator));
            }
        }
    }
}

}  // namespace tessarin::model
