#include "model/tolerances.h"

#include <algorithm>
#include <cmath>

namespace tessarin::model {

namespace {

std::size_t OrderOf(const TAngleId& id) {
    const std::vector<TAngleId>& all = AllAngles();
    return static_cast<std::size_t>(std::find(all.begin(), all.end(), id) - all.begin());
}

double Excess(double deviation, const TTolerance& tolerance) {
    return std::max(deviation - tolerance.Upper, tolerance.Lower - deviation);
}

void Count(TToleranceCount& count, TVerdict verdict, double deviation, double excess,
           std::int32_t number, bool keepWorst) {
    ++count.Segments;
    if (verdict == TVerdict::Inside) {
        ++count.Inside;
    } else if (verdict == TVerdict::NotANumber) {
        ++count.NotNumbers;
        return;
    }
    if (keepWorst) {
        TWorstDeviation& worst = count.Worst;
        // The first of equal excesses stays; a missing worst has a NaN deviation.
        if (worst.Segment == 0 || excess > worst.Excess) {
            worst = {number, deviation, excess};
        }
    }
}

}  // namespace

bool ValidTolerance(const TTolerance& tolerance) {
    return std::isfinite(tolerance.Nominal) && std::isfinite(tolerance.Lower) &&
           std::isfinite(tolerance.Upper) && tolerance.Lower <= 0.0 && tolerance.Upper >= 0.0 &&
           OrderOf(tolerance.Angle) < AllAngles().size();
}

void SetTolerance(TToleranceSet& set, const TTolerance& tolerance) {
    const std::size_t order = OrderOf(tolerance.Angle);
    auto at = std::find_if(set.begin(), set.end(),
                           [&](const TTolerance& t) { return OrderOf(t.Angle) >= order; });
    if (at != set.end() && at->Angle == tolerance.Angle) {
        *at = tolerance;
    } else {
        set.insert(at, tolerance);
    }
}

TVerdict Judge(double value, const TTolerance& tolerance) {
    if (std::isnan(value)) {
        return TVerdict::NotANumber;
    }
    const double deviation = value - tolerance.Nominal;
    return deviation >= tolerance.Lower && deviation <= tolerance.Upper ? TVerdict::Inside
                                                                        : TVerdict::Outside;
}

double TToleranceCount::Share() const {
    return Segments > 0 ? static_cast<double>(Inside) / Segments
                        : std::numeric_limits<double>::quiet_NaN();
}

TToleranceReport CheckTolerances(const TCutEdgeData& segments, const TEdges& edges,
                                 const TAngleTable& table, const TToleranceSet& set) {
    TToleranceReport report;
    std::vector<std::size_t> columns;
    for (const TTolerance& tolerance : set) {
        const int column = table.IndexOf(tolerance.Angle);
        if (column < 0) {
            report.NotComputed.push_back(tolerance);
        } else {
            report.Judged.push_back(tolerance);
            columns.push_back(static_cast<std::size_t>(column));
        }
    }
    const std::size_t judged = report.Judged.size();
    const std::size_t rows = std::min(segments.size(), table.SegmentCount);
    report.Verdicts.resize(rows * judged);
    report.SegmentInside.assign(rows, true);
    report.Tool.resize(judged);
    report.Edges.assign(edges.Edges.size(), std::vector<TToleranceCount>(judged));
    report.EdgesAll.resize(edges.Edges.size());
    for (std::size_t s = 0; s < rows; ++s) {
        const std::int32_t number = segments[s].Number;
        const auto edge = static_cast<std::size_t>(edges.EdgeOfSegment[s]);
        bool inside = true;
        for (std::size_t t = 0; t < judged; ++t) {
            const TTolerance& tolerance = report.Judged[t];
            const double value = table.Value(s, columns[t]);
            const TVerdict verdict = Judge(value, tolerance);
            const double deviation = value - tolerance.Nominal;
            const double excess = Excess(deviation, tolerance);
            report.Verdicts[s * judged + t] = verdict;
            inside = inside && verdict == TVerdict::Inside;
            Count(report.Tool[t], verdict, deviation, excess, number, true);
            Count(report.Edges[edge][t], verdict, deviation, excess, number, true);
        }
        if (judged > 0) {
            report.SegmentInside[s] = inside;
            const TVerdict all = inside ? TVerdict::Inside : TVerdict::Outside;
            Count(report.ToolAll, all, 0.0, 0.0, number, false);
            Count(report.EdgesAll[edge], all, 0.0, 0.0, number, false);
        }
    }
    return report;
}

}  // namespace tessarin::model
