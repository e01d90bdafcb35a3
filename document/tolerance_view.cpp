#include "document/tolerance_view.h"

#include "document/derived_columns.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/number_format.h"
#include "document/derived_columns.h"
#include "model/edges.h"
#include "view/colour_legend.h"

namespace tessarin::document {

namespace {

QString Number(const model::TModel& model, double value) {
    return QString::fromStdString(
        base::FloatToStrAcc(model.GetAccuracy(), value, model.DecimalSeparator));
}

QString Signed(const model::TModel& model, double value) {
    return (value > 0.0 ? QStringLiteral("+") : QString()) + Number(model, value);
}

QString ToleranceName(const model::TModel& model, const model::TTolerance& t) {
    return QString::fromStdString(model::AngleKey(t.Angle)) + QLatin1Char(' ') +
           Number(model, t.Nominal) + QStringLiteral(" (") + Signed(model, t.Lower) +
           QStringLiteral("..") + Signed(model, t.Upper) + QLatin1Char(')');
}

QString CountText(const model::TModel& model, const model::TToleranceCount& count, bool worst) {
    const double share = count.Share() * 100.0;
    QString text = QStringLiteral("внутри %1 из %2").arg(count.Inside).arg(count.Segments);
    if (std::isfinite(share)) {
        text += QStringLiteral(" (") +
                QString::fromStdString(base::FloatToStrAcc(1, share, model.DecimalSeparator)) +
                QStringLiteral(" %)");
    }
    if (count.NotNumbers > 0) {
        text += QStringLiteral(", не числа: %1").arg(count.NotNumbers);
    }
    if (worst && count.Worst.Segment > 0) {
        text += QStringLiteral(", худшее ") + Signed(model, count.Worst.Deviation) +
                QStringLiteral(" (отр. %1)").arg(count.Worst.Segment);
    }
    return text;
}

}  // namespace

std::optional<model::TAngleId> AngleOfColumn(int k) {
    constexpr int kFirstAngleColumn = 3;
    constexpr int kLastAngleColumn = 17;
    if (IsDerivedCode(k) && !IsSelectionCode(k)) {
        return DerivedAngle(k);  // a derived column or chart line of the cutting edge
    }
    if (k < kFirstAngleColumn || k > kLastAngleColumn) {
        return std::nullopt;
    }
    return model::AllAngles().at(static_cast<std::size_t>(k - kFirstAngleColumn));
}

QString AngleCaption(const model::TAngleId& id) {
    const model::TSystemInfo& system = model::kSystems.at(static_cast<std::size_t>(id.System));
    QString kind = QString::fromUtf8(model::AngleKindInfo(id.Kind).Caption);
    if (!kind.isEmpty()) {
        kind[0] = kind[0].toLower();
    }
    return QString::fromUtf8(system.Caption) + QStringLiteral(": ") + kind + QStringLiteral(" (") +
           QString::fromStdString(model::AngleKey(id)) + QLatin1Char(')');
}

model::TToleranceReport JudgeTolerances(const model::TModel& model) {
    if (!model.CutEdgeExist || model.Tolerances.empty() || model.CutEdge.empty()) {
        model::TToleranceReport none;
        none.NotComputed = model.Tolerances;
        return none;
    }
    const model::TEdges edges = model::GroupModelEdges(model);
    const model::TAngleTable table = model::ComputedAngleTable(model);
    return model::CheckTolerances(model.CutEdge, edges, table, model.Tolerances);
}

bool OutsideTolerance(const model::TToleranceReport& report, std::size_t segment,
                      const model::TAngleId& id) {
    if (segment >= report.SegmentInside.size() || report.SegmentInside[segment]) {
        return false;
    }
    for (std::size_t t = 0; t < report.Judged.size(); ++t) {
        if (report.Judged[t].Angle == id) {
            return report.Verdict(segment, t) != model::TVerdict::Inside;
        }
    }
    return false;
}

std::vector<std::pair<QString, QString>> ToleranceRows(const model::TModel& model,
                                                       const model::TToleranceReport& report) {
    std::vector<std::pair<QString, QString>> rows;
    for (std::size_t t = 0; t < report.Judged.size() && t < report.Tool.size(); ++t) {
        rows.emplace_back(QStringLiteral("Допуск ") + ToleranceName(model, report.Judged[t]),
                          CountText(model, report.Tool[t], true));
    }
    for (const model::TTolerance& t : report.NotComputed) {
        rows.emplace_back(QStringLiteral("Допуск ") + ToleranceName(model, t),
                          QStringLiteral("не проверен: углы системы не рассчитаны"));
    }
    if (!report.Judged.empty()) {
        rows.emplace_back(QStringLiteral("Все допуски"), CountText(model, report.ToolAll, false));
    }
    return rows;
}

std::vector<std::uint32_t> ColourMapColours(const model::TModel& model, const model::TAngleId& id,
                                            std::pair<double, double>& range) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    range = {nan, nan};
    std::vector<double> values;
    values.reserve(model.CutEdge.size());
    const bool computed = model.DefinedAngles.at(static_cast<std::size_t>(id.System));
    for (const model::TSegment& segment : model.CutEdge) {
        values.push_back(computed ? model::AngleValue(segment, model.AcceptedCS, id) : nan);
    }
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (const double v : values) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (lo <= hi) {
        range = {lo, hi};
    }
    std::vector<std::uint32_t> colours;
    colours.reserve(values.size());
    for (const double v : values) {
        if (!std::isfinite(v)) {
            colours.push_back(kNotANumberEdgeColor);
        } else {
            // One value everywhere sits in the middle of the ramp.
            colours.push_back(view::RampColour(hi > lo ? (v - lo) / (hi - lo) : 0.5));
        }
    }
    return colours;
}

std::vector<std::uint32_t> ToleranceColours(const model::TToleranceReport& report) {
    if (!report.AnyOutside()) {
        return {};
    }
    std::vector<std::uint32_t> colours(report.SegmentInside.size(), 0u);
    for (std::size_t s = 0; s < colours.size(); ++s) {
        if (!report.SegmentInside[s]) {
            colours[s] = kOutsideToleranceEdgeColor;
        }
    }
    return colours;
}

}  // namespace tessarin::document
