#include "model/analysis_steps.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "base/language.h"
namespace tessarin::model {

namespace {

TStepCheck Refuse(const char* warning, bool beep) {
    return {warning, beep};
}

bool Existed(const TModel& model, int flag) {
    return model.ExistedCS.at(static_cast<std::size_t>(flag));
}

}  // namespace

TStep ComputeStep(int system) {
    switch (system) {
        case kSSK:
            return TStep::ComputeSSK;
        case kKSK:
            return TStep::ComputeKSK;
        case kDSK:
            return TStep::ComputeDSK;
        default:
            return TStep::ComputeISK;
    }
}

TStepCheck CheckStep(const TModel& model, TStep step) {
    const bool ssk = Existed(model, kExistedSSK);
    const bool feedPlan = Existed(model, kExistedFeedPlan);
    const bool ksk = Existed(model, kExistedKSK);
    switch (step) {
        case TStep::ComputeISK:
        case TStep::DefineSSK:
            return {};
        case TStep::DefineFeedPlan:
            return ssk ? TStepCheck{} : Refuse("Не определена статичекая основная плоскость", true);
        case TStep::ComputeSSK:
            if (ssk && feedPlan) {
                return {};
            }
            return Refuse(
                ssk ? "Не определена рабочая плоскость" : "Не определена основная плоскость",
                false);
        case TStep::DefineKSK:
        case TStep::DefineDSK:
            return ssk || feedPlan ? TStepCheck{}
                                   : Refuse("Не определена статичекая система координат", true);
        case TStep::ComputeKSK:
        case TStep::ComputeDSK:
            // The dynamic angles are measured in the static basic plane, but the road asks
            // for the kinematic system before them.
            return ksk ? TStepCheck{}
                       : Refuse("Не определена кинематическая система координат", false);
    }
    return {};
}

TStepCheck ComputeSystem(TModel& model, int system, TProgress& progress) {
    TStepCheck check = CheckStep(model, ComputeStep(system));
    if (check.Allowed() && model.SegmentCount > 0) {
        model.ComputeAngles(system, progress);
    }
    return check;
}

TResult AcceptDefinition(TModel& model, TDefinition what,
                         std::array<bool, kSystemCount>* forgotten) {
    std::array<TSystemFrame, kSystemCount> before;
    for (int s = 0; s < kSystemCount; ++s) {
        before[static_cast<std::size_t>(s)] = FrameOf(model.AcceptedCS, s);
    }
    switch (what) {
        case TDefinition::StaticSystem:
            if (TResult accepted = model.AcceptStaticSystem(); !accepted) {
                return accepted;
            }
            break;
        case TDefinition::FeedPlan:
            model.AcceptFeedPlan();
            break;
        case TDefinition::KSK:
            model.AcceptKSK();
            break;
        case TDefinition::DSK:
            model.AcceptDSK();
            break;
    }
    std::array<bool, kSystemCount> lost{};
    for (int s = 0; s < kSystemCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (model.DefinedAngles[i] && !SameFrame(before[i], FrameOf(model.AcceptedCS, s))) {
            model.ForgetAngles(s);
            lost[i] = true;
        }
    }
    if (forgotten != nullptr) {
        *forgotten = lost;
    }
    return TResult::Success();
}

TStepCheck CheckKeepSegments(const TModel& model, int first, int last) {
    if (first < 0 || last < first || last >= static_cast<int>(model.CutEdge.size())) {
        // Nothing chosen (or only selection rows whose segments are gone): keeping
        // nothing would leave a cutting edge without segments.
        return Refuse("Не выбраны строки таблицы с отрезками РК", true);
    }
    return {};
}

bool MainSegmentOutside(const TModel& model, int first, int last) {
    const std::int32_t hce = model.AcceptedCS.FeedPlan.HCE;
    return hce < first || hce > last;
}

void KeepSegments(TModel& model, int first, int last, TProgress& progress) {
    if (!CheckKeepSegments(model, first, last).Allowed()) {
        return;
    }
    model.SurfaceData.Modified = true;
    TFeedPlanValues& plan = model.AcceptedCS.FeedPlan;
    plan.HCE = MainSegmentOutside(model, first, last) ? 0 : plan.HCE - first;
    // The view marks the working record's main segment: it follows the accepted one.
    model.WorkingCS.FeedPlan.HCE = plan.HCE;

    const auto from = static_cast<std::ptrdiff_t>(first);
    const auto to = static_cast<std::ptrdiff_t>(last) + 1;
    model.CutEdge = TCutEdgeData(model.CutEdge.begin() + from, model.CutEdge.begin() + to);
    model.SegmentCount = static_cast<std::int32_t>(model.CutEdge.size());
    for (TMarkedCellsOfCol& marks : model.MarkedCells) {
        if (marks.size() >= static_cast<std::size_t>(to)) {
            marks = TMarkedCellsOfCol(marks.begin() + from, marks.begin() + to);
        } else {
            marks.assign(model.CutEdge.size(), false);
        }
    }

    // The selection follows the segments it names: those discarded leave it, the others
    // take their new numbers.
    TCutEdgeData selection;
    for (TSegment& entry : model.SelectCutEdge) {
        if (entry.Number - 1 >= first && entry.Number - 1 <= last) {
            entry.Number -= first;
            selection.push_back(std::move(entry));
        }
    }
    model.SelectCutEdge = std::move(selection);
    model.SelectCutEdgeExist = !model.SelectCutEdge.empty();
    if (!model.SelectCutEdgeExist) {
        ClearSelection(model);
    }

    // Numbers 1..n and columns 1 and 2, before the angles read them.
    model.FillNumberColumns();
    for (int system = kISK; system <= kDSK; ++system) {
        if (model.DefinedAngles[static_cast<std::size_t>(system)]) {
            model.ComputeAngles(system, progress);
        }
    }
    if (model.SelectCutEdgeExist) {
        model.FillSelectionLists();
    }
}

void ClearSelection(TModel& model) {
    model.SelectCutEdgeExist = false;
    model.SelectCutEdge.clear();
    for (int k = 1 + kSelectionColumnOffset; k <= kColumnCount; ++k) {
        model.Columns[k].clear();
    }
    // Dropping the selection changes what the project file holds.
    model.SurfaceData.Modified = true;
}

void RemoveCutEdge(TModel& model) {
    if (model.SelectCutEdgeExist) {
        ClearSelection(model);
    }
    model.ClearCutEdge();
}

void RemoveSorting(TModel& model) {
    if (model.CutEdgeExist) {
        RemoveCutEdge(model);
    }
    model.ClearSorting();
}

bool SortingSettingsDiffer(const TGeometrySettings& a, const TGeometrySettings& b) {
    return a.Gamma != b.Gamma || a.Alpha != b.Alpha || a.DiscardInt != b.DiscardInt ||
           a.MinNormalAngle != b.MinNormalAngle || a.PointTolerance != b.PointTolerance;
}

TResult SortAgain(TModel& model, const TGeometrySettings& settings, TProgress& progress) {
    if (!model.SurfaceData.SurfaceExist) {
        return TResult::Failure(
            base::Say("the model has no polygons to sort", "в модели нет граней для сортировки"));
    }
    RemoveSorting(model);
    TGeometrySettings& own = model.SurfaceData.GeometrySettings;
    own.Gamma = settings.Gamma;
    own.Alpha = settings.Alpha;
    own.DiscardInt = settings.DiscardInt;
    own.MinNormalAngle = settings.MinNormalAngle;
    own.PointTolerance = settings.PointTolerance;
    model.SurfaceData.SortSurfaces(progress);
    return model.FindCutEdge(progress);
}

int UncomputedQueryColumn(const TModel& model, const TSelectDlgInqury& query) {
    for (int column = 0; column < kQueryColumnCount; ++column) {
        if (!query.Use[static_cast<std::size_t>(column)]) {
            continue;
        }
        const int system = PlaceOfQueryColumn(column).System;
        if (!model.DefinedAngles.at(static_cast<std::size_t>(system))) {
            return column;
        }
    }
    return -1;
}

bool MainSegmentValid(const TModel& model) {
    const std::int32_t hce = model.AcceptedCS.FeedPlan.HCE;
    return Existed(model, kExistedFeedPlan) && hce >= 0 && hce < model.SegmentCount &&
           static_cast<std::size_t>(hce) < model.CutEdge.size();
}

std::vector<std::string> ProjectWarnings(const TModel& model) {
    std::vector<std::string> warnings;
    if (model.CutEdgeExist && Existed(model, kExistedFeedPlan) && !MainSegmentValid(model)) {
        warnings.push_back(
            "Номер отрезка главной режущей кромки (" +
            std::to_string(model.AcceptedCS.FeedPlan.HCE) +
            ") не указывает на отрезок режущей кромки (отрезков: " +
            std::to_string(model.CutEdge.size()) +
            "): главный отрезок не задан; укажите его заново при определении рабочей плоскости");
    }
    return warnings;
}

}  // namespace tessarin::model
