#include "model/analysis_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/systems.h"
#include "samples/sample_tool.h"
#include "tests/support/sample_road.h"

namespace tessarin::model {
namespace {

// The sample tool, small: 8 inserts, 3 + 2 * 2 segments each.
TModel SortedSampleTool(TGeometrySettings settings = kDefaultGeometrySettings) {
    samples::TSampleToolLayout layout;
    layout.EdgeDivisions = 3;
    layout.LateralDivisions = 2;
    layout.FlankRows = 1;
    layout.BodyDivisions = 1;
    TModel model(',');
    model.SurfaceData.GeometrySettings = settings;
    model.SurfaceData.Polygons = samples::GenerateSampleTool(layout);
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(model.SurfaceData.Polygons.size());
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SortSurfaces();
    return model;
}

// Every system defined and computed, as the road of the sample project does it.
TModel AnalysedSampleTool() {
    TModel model = SortedSampleTool();
    EXPECT_TRUE(model.FindCutEdge());
    test::DefineAndComputeSampleRoad(model);
    return model;
}

std::vector<std::int32_t> Numbers(const TCutEdgeData& segments) {
    std::vector<std::int32_t> numbers;
    for (const TSegment& s : segments) {
        numbers.push_back(s.Number);
    }
    return numbers;
}

TSelectDlgInqury RangeQuery(int column, double lo, double hi, bool wholeEdge) {
    TSelectDlgInqury query;
    query.Ranges = {};
    QueryColumn(query.Ranges, column) = {{lo, hi}};
    query.Use.at(static_cast<std::size_t>(column)) = true;
    query.WholeEdge = wholeEdge;
    query.Valid = true;
    return query;
}

// ---- redefining a system ----------------------------------------------------------------

struct TRedefinition {
    const char* Name;
    void (*Edit)(TModel&);
    TDefinition What;
    std::array<bool, kSystemCount> Forgotten;  // ISK, SSK, KSK, DSK
};

const TRedefinition kRedefinitions[] = {
    // A new static normal: the static and dynamic angles stand on it, and the kinematic
    // normal is reset to it.
    {"new static system",
     [](TModel& m) { m.PreviewSSK(0, 0); },
     TDefinition::StaticSystem,
     {false, true, true, true}},
    // The same static values again: only the kinematic normal moves (back onto the static
    // one), so only the kinematic angles go.
    {"same static system",
     [](TModel& m) { m.PreviewSSK(5, 30); },
     TDefinition::StaticSystem,
     {false, false, true, false}},
    {"new working plane",
     [](TModel& m) { (void)m.PreviewFeedPlan(60); },
     TDefinition::FeedPlan,
     {false, true, true, true}},
    {"same working plane",
     [](TModel& m) { (void)m.PreviewFeedPlan(90); },
     TDefinition::FeedPlan,
     {false, false, false, false}},
    {"new kinematic system",
     [](TModel& m) { m.PreviewKSK(8); },
     TDefinition::KSK,
     {false, false, true, false}},
    {"new dynamic system",
     [](TModel& m) { m.PreviewDSK(-20); },
     TDefinition::DSK,
     {false, false, false, true}},
};

class RedefinitionTest : public testing::TestWithParam<TRedefinition> {};

TEST_P(RedefinitionTest, ForgetsExactlyTheAnglesMeasuredWithTheReplacedValues) {
    const TRedefinition& c = GetParam();
    TModel model = AnalysedSampleTool();
    ASSERT_TRUE(model.MakeSelection(RangeQuery(0, -90, 90, true)));
    model.FillSelectionLists();
    const TModel before = model;

    c.Edit(model);
    std::array<bool, kSystemCount> forgotten{};
    ASSERT_TRUE(AcceptDefinition(model, c.What, &forgotten));
    EXPECT_EQ(forgotten, c.Forgotten);

    for (int s = 0; s < kSystemCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const TSystemInfo& info = SystemInfo(s);
        EXPECT_EQ(model.DefinedAngles[i], !c.Forgotten[i]) << info.Name;
        for (int k = info.FirstColumn; k < info.FirstColumn + info.AngleCount; ++k) {
            if (c.Forgotten[i]) {
                EXPECT_TRUE(model.Columns[k].empty()) << k;
                EXPECT_TRUE(model.Series(k).GetPoints().empty()) << k;
                // The selection's columns of the system hold their header line only.
                EXPECT_LE(model.Columns[k + kSelectionColumnOffset].size(), 1u) << k;
            } else {
                EXPECT_EQ(model.Columns[k], before.Columns[k]) << k;
                EXPECT_EQ(model.Columns[k + kSelectionColumnOffset],
                          before.Columns[k + kSelectionColumnOffset])
                    << k;
            }
        }
        for (std::size_t n = 0; n < model.CutEdge.size(); ++n) {
            const auto now = SegmentAngles(model.CutEdge[n], s);
            const auto old = SegmentAngles(before.CutEdge[n], s);
            const std::array<double, 4> expected = c.Forgotten[i] ? std::array<double, 4>{} : old;
            EXPECT_EQ(now, expected) << info.Name << n;
        }
        for (const TSegment& entry : model.SelectCutEdge) {
            EXPECT_EQ(SegmentAngles(entry, s),
                      SegmentAngles(model.CutEdge[static_cast<std::size_t>(entry.Number - 1)], s))
                << info.Name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Definitions, RedefinitionTest, testing::ValuesIn(kRedefinitions),
                         [](const testing::TestParamInfo<TRedefinition>& info) {
                             std::string name = info.param.Name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST(RedefinitionTest, AnglesComputedAgainEqualThoseOfAModelDefinedThatWayFromTheStart) {
    // Forgetting is no substitute for computing, but what is computed after it must not
    // depend on what was there before.
    TModel redefined = AnalysedSampleTool();
    redefined.PreviewSSK(-7, 120);
    ASSERT_TRUE(AcceptDefinition(redefined, TDefinition::StaticSystem));
    ASSERT_TRUE(ComputeSystem(redefined, kSSK).Allowed());

    TModel fresh = SortedSampleTool();
    ASSERT_TRUE(fresh.FindCutEdge());
    fresh.WorkingCS.FeedPlan.HCE = 4;
    fresh.PreviewSSK(5, 30);
    ASSERT_TRUE(AcceptDefinition(fresh, TDefinition::StaticSystem));
    ASSERT_TRUE(fresh.PreviewFeedPlan(90));
    ASSERT_TRUE(AcceptDefinition(fresh, TDefinition::FeedPlan));
    fresh.PreviewSSK(-7, 120);
    ASSERT_TRUE(AcceptDefinition(fresh, TDefinition::StaticSystem));
    ASSERT_TRUE(ComputeSystem(fresh, kSSK).Allowed());

    EXPECT_EQ(redefined.AcceptedCS.SSK, fresh.AcceptedCS.SSK);
    EXPECT_EQ(redefined.AcceptedCS.FeedPlan, fresh.AcceptedCS.FeedPlan);
    for (int k = 6; k <= 9; ++k) {
        EXPECT_EQ(redefined.Columns[k], fresh.Columns[k]) << k;
    }
}

// ---- the selection sees the angles as they are ------------------------------------------

TEST(SelectionStalenessTest, SearchWithinASelectionMadeBeforeASystemWasComputed) {
    for (const bool andLogic : {true, false}) {
        TModel model = SortedSampleTool();
        ASSERT_TRUE(model.FindCutEdge());
        ASSERT_TRUE(ComputeSystem(model, kISK).Allowed());
        // The selection is made while only the tool system's angles exist.
        ASSERT_TRUE(model.MakeSelection(RangeQuery(1, 0, 90, true)));
        const std::vector<std::int32_t> selected = Numbers(model.SelectCutEdge);

        model.PreviewSSK(5, 30);
        ASSERT_TRUE(AcceptDefinition(model, TDefinition::StaticSystem));
        ASSERT_TRUE(ComputeSystem(model, kSSK).Allowed());
        for (const TSegment& entry : model.SelectCutEdge) {
            EXPECT_EQ(entry.SSK, model.CutEdge[static_cast<std::size_t>(entry.Number - 1)].SSK);
        }

        TModel whole = model;
        TSelectDlgInqury query = RangeQuery(3, -0.5, 0.5, true);
        query.AndLogic = andLogic;
        const bool anyOnEdge = whole.MakeSelection(query);
        std::vector<std::int32_t> expected;
        if (anyOnEdge) {
            for (const std::int32_t n : Numbers(whole.SelectCutEdge)) {
                if (std::find(selected.begin(), selected.end(), n) != selected.end()) {
                    expected.push_back(n);
                }
            }
        }
        // Stale zeros would all pass the range: the case shows the fault only when the
        // true angles do not.
        ASSERT_NE(expected, selected);
        query.WholeEdge = false;
        const bool anyWithin = model.MakeSelection(query);
        EXPECT_EQ(anyWithin, !expected.empty()) << andLogic;
        EXPECT_EQ(Numbers(model.SelectCutEdge), anyWithin ? expected : selected) << andLogic;
    }
}

TEST(SelectionStalenessTest, RangeOnASystemWhoseAnglesAreNotComputedIsFound) {
    TModel model = SortedSampleTool();
    ASSERT_TRUE(model.FindCutEdge());
    ASSERT_TRUE(ComputeSystem(model, kISK).Allowed());
    struct TCase {
        std::vector<int> Columns;
        int Expected;
    };
    const TCase cases[] = {{{0, 1, 2}, -1}, {{7}, 7}, {{0, 14}, 14}, {{}, -1}, {{3, 0}, 3}};
    for (const TCase& c : cases) {
        TSelectDlgInqury query;
        for (const int column : c.Columns) {
            query.Use.at(static_cast<std::size_t>(column)) = true;
        }
        EXPECT_EQ(UncomputedQueryColumn(model, query), c.Expected);
    }
}

// ---- keeping a range of segments ---------------------------------------------------------

TEST(KeepSegmentsTest, KeepsTheRangeWithItsAnglesMainSegmentAndSelection) {
    struct TCase {
        int First;
        int Last;
        int Hce;
        int ExpectedHce;
    };
    // Inside the range the main segment stays on its segment; outside it becomes 0.
    const TCase cases[] = {{2, 6, 4, 2}, {0, 9, 9, 9}, {5, 20, 4, 0}, {3, 3, 3, 0}};
    for (const TCase& c : cases) {
        TModel model = AnalysedSampleTool();
        model.AcceptedCS.FeedPlan.HCE = c.Hce;
        ASSERT_TRUE(model.MakeSelection(RangeQuery(0, -90, 90, true)));
        const TModel before = model;
        ASSERT_TRUE(CheckKeepSegments(model, c.First, c.Last).Allowed());
        EXPECT_EQ(MainSegmentOutside(model, c.First, c.Last), c.Hce < c.First || c.Hce > c.Last);

        KeepSegments(model, c.First, c.Last);
        const int kept = c.Last - c.First + 1;
        ASSERT_EQ(model.SegmentCount, kept);
        EXPECT_EQ(model.AcceptedCS.FeedPlan.HCE, c.ExpectedHce);
        EXPECT_EQ(model.WorkingCS.FeedPlan.HCE, c.ExpectedHce);
        for (int i = 0; i < kept; ++i) {
            const TSegment& now = model.CutEdge[static_cast<std::size_t>(i)];
            TSegment old = before.CutEdge[static_cast<std::size_t>(c.First + i)];
            old.Number = i + 1;
            // Angles do not depend on the neighbours: computed again, they are the same.
            EXPECT_EQ(now, old) << i;
        }
        EXPECT_EQ(model.Columns[1].size(), static_cast<std::size_t>(kept) + 1);
        for (const TMarkedCellsOfCol& marks : model.MarkedCells) {
            EXPECT_EQ(marks.size(), static_cast<std::size_t>(kept));
        }
        // The selection keeps its segments inside the range, each one a copy of the
        // segment its number names.
        std::vector<std::int32_t> expected;
        for (const std::int32_t n : Numbers(before.SelectCutEdge)) {
            if (n - 1 >= c.First && n - 1 <= c.Last) {
                expected.push_back(n - c.First);
            }
        }
        EXPECT_EQ(Numbers(model.SelectCutEdge), expected);
        EXPECT_EQ(model.SelectCutEdgeExist, !expected.empty());
        for (const TSegment& entry : model.SelectCutEdge) {
            EXPECT_EQ(entry, model.CutEdge[static_cast<std::size_t>(entry.Number - 1)]);
        }
    }
}

TEST(KeepSegmentsTest, RefusesWhatIsNotARangeOfSegments) {
    TModel model = AnalysedSampleTool();
    const TModel before = model;
    for (const auto& [first, last] : {std::pair{-1, -1}, {3, 2}, {0, 56}, {-1, 4}}) {
        const TStepCheck check = CheckKeepSegments(model, first, last);
        EXPECT_EQ(check.Warning, "Не выбраны строки таблицы с отрезками РК") << first << last;
        EXPECT_TRUE(check.Beep);
        KeepSegments(model, first, last);
        EXPECT_EQ(model.CutEdge, before.CutEdge);
    }
}

// ---- sorting again -----------------------------------------------------------------------

TEST(SortAgainTest, NewSettingsGiveTheCuttingEdgeOfAFreshSortAndDropWhatStoodOnTheOld) {
    TGeometrySettings other = kDefaultGeometrySettings;
    other.Alpha = 6.5;  // the lateral flanks (clearance 6) stay back, the outer ones (7) go
    TModel fresh = SortedSampleTool(other);
    ASSERT_TRUE(fresh.FindCutEdge());

    TModel model = AnalysedSampleTool();
    ASSERT_TRUE(model.MakeSelection(RangeQuery(0, -90, 90, true)));
    ASSERT_TRUE(SortingSettingsDiffer(model.SurfaceData.GeometrySettings, other));
    ASSERT_TRUE(SortAgain(model, other));
    EXPECT_EQ(model.CutEdge, fresh.CutEdge);
    EXPECT_NE(model.SegmentCount, AnalysedSampleTool().SegmentCount);
    EXPECT_EQ(model.SurfaceData.GeometrySettings.Alpha, 6.5);
    EXPECT_FALSE(model.SelectCutEdgeExist);
    EXPECT_EQ(model.DefinedAngles, (std::array<bool, 4>{}));
    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{}));
}

TEST(SortAgainTest, SettingsThatFindNoEdgeFailWithTheReasonAndKeepTheNewSorting) {
    TGeometrySettings none = kDefaultGeometrySettings;
    none.Alpha = 1;  // no flank at all
    TModel model = AnalysedSampleTool();
    const TResult sorted = SortAgain(model, none);
    EXPECT_FALSE(sorted);
    EXPECT_TRUE(sorted.Reason().starts_with("Нет пересечений передней и задней поверхностей ("))
        << sorted.Reason();
    EXPECT_TRUE(model.SurfaceData.SurfaceSorted);
    EXPECT_FALSE(model.CutEdgeExist);

    TModel empty(',');
    EXPECT_FALSE(SortAgain(empty, none));
}

// ---- the side bar's rules ----------------------------------------------------------------

TEST(CheckStepTest, WarningsFollowTheDefinedSystems) {
    struct TCase {
        std::array<bool, 4> Existed;  // SSK, KSK, DSK, FeedPlan
        TStep Step;
        const char* Warning;
        bool Beep;
    };
    const TCase cases[] = {
        {{}, TStep::ComputeISK, "", false},
        {{}, TStep::DefineSSK, "", false},
        {{}, TStep::DefineFeedPlan, "Не определена статичекая основная плоскость", true},
        {{true}, TStep::DefineFeedPlan, "", false},
        {{}, TStep::ComputeSSK, "Не определена основная плоскость", false},
        {{true}, TStep::ComputeSSK, "Не определена рабочая плоскость", false},
        {{true, false, false, true}, TStep::ComputeSSK, "", false},
        {{}, TStep::DefineKSK, "Не определена статичекая система координат", true},
        {{false, false, false, true}, TStep::DefineKSK, "", false},
        {{true}, TStep::DefineDSK, "", false},
        {{true, false, true, true},
         TStep::ComputeKSK,
         "Не определена кинематическая система координат",
         false},
        {{true, false, true, true},
         TStep::ComputeDSK,
         "Не определена кинематическая система координат",
         false},
        {{true, true, false, true}, TStep::ComputeDSK, "", false},
    };
    for (const TCase& c : cases) {
        TModel model(',');
        model.ExistedCS = c.Existed;
        const TStepCheck check = CheckStep(model, c.Step);
        EXPECT_EQ(check.Warning, c.Warning) << static_cast<int>(c.Step);
        EXPECT_EQ(check.Beep, c.Beep) << static_cast<int>(c.Step);
    }
}

// ---- a main segment past the end of the cutting edge ---------------------------------------

TEST(MainSegmentTest, PastTheEndIsReportedAndBlocksOnlyWhatNeedsIt) {
    TModel model = AnalysedSampleTool();
    EXPECT_TRUE(MainSegmentValid(model));
    EXPECT_TRUE(ProjectWarnings(model).empty());

    model.AcceptedCS.FeedPlan.HCE = model.SegmentCount;
    model.WorkingCS.FeedPlan.HCE = model.SegmentCount;
    EXPECT_FALSE(MainSegmentValid(model));
    const std::vector<std::string> warnings = ProjectWarnings(model);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(std::to_string(model.SegmentCount)), std::string::npos);

    // The angles can still be computed with the stored normals ...
    EXPECT_TRUE(ComputeSystem(model, kSSK).Allowed());
    // ... but no static system can be built on a main segment that is not there, until
    // a valid one is given.
    model.PreviewSSK(10, 0);
    const TModel before = model;
    EXPECT_FALSE(AcceptDefinition(model, TDefinition::StaticSystem));
    EXPECT_EQ(model.AcceptedCS, before.AcceptedCS);
    EXPECT_EQ(model.DefinedAngles, before.DefinedAngles);
    model.WorkingCS.FeedPlan.HCE = 3;
    EXPECT_TRUE(AcceptDefinition(model, TDefinition::StaticSystem));
    EXPECT_EQ(model.AcceptedCS.FeedPlan.HCE, 3);
    EXPECT_TRUE(MainSegmentValid(model));
}

}  // namespace
}  // namespace tessarin::model
