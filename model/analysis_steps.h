// The rules of the analysis road that the desktop program and the batch tool share: when
// a define or compute step may run (with the warning the user gets when it may not), and
// the operations on a model that follow a user's decision: accepting a definition,
// keeping a range of segments, dropping the selection, the cutting edge or the sorting,
// sorting again with new settings.
//
// Whatever a step makes stale goes with it: a system defined anew forgets the angles
// measured with its old values (which ones follow from FrameOf in model/systems.h), new
// sorting settings drop the sorting and everything found on it. The callers only ask the
// user and show the results.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/base_names.h"
#include "model/model.h"
#include "model/selection.h"
#include "model/systems.h"

namespace tessarin::model {

// The side bar's steps, one per item.
enum class TStep {
    ComputeISK,
    DefineSSK,
    DefineFeedPlan,
    ComputeSSK,
    DefineKSK,
    ComputeKSK,
    DefineDSK,
    ComputeDSK,
};

// The compute step of system kISK..kDSK.
TStep ComputeStep(int system);

struct TStepCheck {
    std::string Warning;  // empty when the step may run
    bool Beep = false;    // the warning is preceded by the system beep

    bool Allowed() const { return Warning.empty(); }
};

// Whether `step` may run now, judged on the defined systems:
//   DefineFeedPlan        the static system    "Не определена статичекая основная плоскость" (beep)
//   ComputeSSK            static system and working plane: "Не определена рабочая плоскость"
//                         when the static system is there, else "Не определена основная
//                         плоскость" (no beep)
//   DefineKSK, DefineDSK  the static system or the working plane: "Не определена
//                         статичекая система координат" (beep)
//   ComputeKSK, ComputeDSK  the kinematic system (the dynamic angles are judged by it as
//                         well): "Не определена кинематическая система координат" (no beep)
// ComputeISK and DefineSSK may always run.
TStepCheck CheckStep(const TModel& model, TStep step);

// Runs the compute step of `system` when its check allows and the cutting edge has
// segments; returns the check (an allowed check when it ran).
TStepCheck ComputeSystem(TModel& model, int system, TProgress& progress = NullProgress());

// What an accept copies from WorkingCS to AcceptedCS.
enum class TDefinition {
    StaticSystem,  // the panel's OK in static mode: the working plane and the dynamic
                   // system are rebuilt on the new static normal
    FeedPlan,
    KSK,
    DSK,
};

// Accepts a definition and forgets the angles of every system whose frame it changed
// (compared bit for bit, so accepting the same values again keeps them). `forgotten`, when
// given, tells which systems lost their angles. The static system is refused, changing
// nothing, when the working plane's main segment is not on the cutting edge.
TResult AcceptDefinition(TModel& model, TDefinition what,
                         std::array<bool, kSystemCount>* forgotten = nullptr);

// "Отбросить отрезки РК": the range first..last of CutEdge indices to keep. The warning
// "Не выбраны строки таблицы с отрезками РК" (beep) when it is not a range of segments.
TStepCheck CheckKeepSegments(const TModel& model, int first, int last);
// The working plane's main segment lies outside first..last: the caller asks before
// keeping the range ("Главная режущая кромка не входит в выбранный диапазон, ...").
bool MainSegmentOutside(const TModel& model, int first, int last);
// Keeps the segments first..last (a range CheckKeepSegments allows), renumbered from 1.
// The main segment stays on the same segment, or becomes 0 when it is outside (both
// records). The selection keeps the segments it has inside the range, renumbered with
// them; when none is left there is no selection. The angles of every computed system are
// computed again. Sets Modified.
void KeepSegments(TModel& model, int first, int last, TProgress& progress = NullProgress());

// The model's part of "Удалить выборку": no selection, its columns empty. Sets Modified.
void ClearSelection(TModel& model);
// The selection (when there is one) and then the cutting edge and everything computed on
// it (TModel::ClearCutEdge).
void RemoveCutEdge(TModel& model);
// The cutting edge (when there is one, with RemoveCutEdge) and then the sorting.
void RemoveSorting(TModel& model);

// The settings that decide the sorting and the cutting edge found on it (Gamma, Alpha,
// DiscardInt, MinNormalAngle, PointTolerance) differ.
bool SortingSettingsDiffer(const TGeometrySettings& a, const TGeometrySettings& b);
// Sorts the polygons again with `settings`'s sorting and cutting-edge values (the model's
// other settings stay): the selection, the cutting edge and the sorting go first, then the
// cutting edge is found again. Fails with FindCutEdge's reason, the model's polygons still
// there and sorted, when no cutting edge is found. Needs loaded polygons.
TResult SortAgain(TModel& model, const TGeometrySettings& settings,
                  TProgress& progress = NullProgress());

// The first used column of `query` whose system's angles are not computed; -1 when every
// used column can be searched. A search on such a column would test zeros.
int UncomputedQueryColumn(const TModel& model, const TSelectDlgInqury& query);

// The working plane is defined and its main segment is a segment of the cutting edge.
// A project written before the cutting edge was found again with fewer segments can hold
// a main segment past its end: the working plane's normal still holds, but nothing that
// needs the main segment (the static system, the working plane) can be accepted until a
// new main segment is chosen.
bool MainSegmentValid(const TModel& model);

// What a person should know about a model just read from a project file: a main segment
// past the end of the cutting edge. Empty when there is nothing to say.
std::vector<std::string> ProjectWarnings(const TModel& model);

}  // namespace tessarin::model
