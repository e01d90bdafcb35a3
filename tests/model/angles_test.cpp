#include "model/angles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "base/number_format.h"
#include "model/coordinate_systems.h"
#include "model/model.h"
#include "model/systems.h"
#include "tests/support/recording_progress.h"

namespace tessarin::model {
namespace {

using test::TRecordingProgress;

using geometry::Normalize;

double Sin(double degrees) {
    return std::sin(degrees * kRadiansPerDegree);
}
double Cos(double degrees) {
    return std::cos(degrees * kRadiansPerDegree);
}

constexpr TVector3 kZ{0, 0, 1};
constexpr TVector3 kX{1, 0, 0};
constexpr TVector3 kMinusX{-1, 0, 0};
// A segment along the basic-plane normal: every vector built from it is zero.
constexpr TVector3 kAlongZ{0, 0, 2};

struct TAngleCase {
    const char* Name;
    double (*Compute)();
    double Expected;
};

class AngleFunctionTest : public testing::TestWithParam<TAngleCase> {};

TEST_P(AngleFunctionTest, GivesTheAngleWithItsSign) {
    EXPECT_NEAR(GetParam().Compute(), GetParam().Expected, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, AngleFunctionTest,
    testing::Values(
        TAngleCase{"RakePositive",
                   [] {
                       return RakeAngle(kX, {0, Sin(10), Cos(10)}, kZ);
                   },
                   10},
        TAngleCase{"RakeReversedSegment",
                   [] {
                       return RakeAngle(kMinusX, {0, Sin(10), Cos(10)}, kZ);
                   },
                   -10},
        TAngleCase{"ClearanceNegative",
                   [] {
                       return ClearanceAngle(kX, {0, -Cos(8), Sin(8)}, kZ);
                   },
                   -8},
        TAngleCase{"ClearanceReversedFlank",
                   [] {
                       return ClearanceAngle(kX, {0, Cos(8), -Sin(8)}, kZ);
                   },
                   172},
        TAngleCase{"InclinationRising",
                   [] {
                       return InclinationAngle({Cos(5), 0, Sin(5)}, kZ);
                   },
                   -5},
        TAngleCase{"InclinationFalling",
                   [] {
                       return InclinationAngle({-Cos(5), 0, -Sin(5)}, kZ);
                   },
                   5},
        // The working plane of the coordinate systems for this segment with Phi 30.
        TAngleCase{"PlanOfTheMainSegment",
                   [] {
                       return PlanAngle(kX, {-0.5, Cos(30), 0}, kZ);
                   },
                   30},
        TAngleCase{"PlanReversedSegment",
                   [] {
                       return PlanAngle(kMinusX, {-0.5, Cos(30), 0}, kZ);
                   },
                   150},
        // Normals that are not of unit length, as the kinematic normal never is.
        TAngleCase{"InclinationIsMinusArcSin",
                   [] {
                       return InclinationAngle({1, 2, 0.5}, {0.2, -0.1, 1.3});
                   },
                   -std::asin((0.2 - 0.2 + 0.65) / (std::sqrt(5.25) * std::sqrt(1.74))) /
                       kRadiansPerDegree},
        TAngleCase{"RakeWithLongNormals",
                   [] {
                       return RakeAngle({3, 0, 0}, {0, 4 * Sin(10), 4 * Cos(10)}, {0, 0, 7});
                   },
                   10},
        // Parallel to the normal: the zero vectors make VectorAngle 180, and the sign
        // tests compare NaN vectors, which count as the same.
        TAngleCase{"RakeDegenerate",
                   [] {
                       return RakeAngle(kAlongZ, {0, Sin(10), Cos(10)}, kZ);
                   },
                   180},
        TAngleCase{"ClearanceDegenerate",
                   [] {
                       return ClearanceAngle(kAlongZ, {0, -Cos(8), Sin(8)}, kZ);
                   },
                   180},
        TAngleCase{"InclinationDegenerate", [] { return InclinationAngle(kAlongZ, kZ); }, 180},
        TAngleCase{"PlanDegenerate",
                   [] {
                       return PlanAngle(kAlongZ, {0, 1, 0}, kZ);
                   },
                   0}),
    [](const testing::TestParamInfo<TAngleCase>& info) { return std::string(info.param.Name); });

// The section plane of the dynamic system: with S along the segment's projection onto
// the basic plane it is the main section plane, so the rake angles agree; with S
// against the projection the sign flips.
TEST(SectionRakeAngleTest, AlongTheProjectionEqualsTheRakeAngle) {
    struct TCase {
        TVector3 D;
        TVector3 Fn;
        TVector3 N;
    };
    const std::vector<TCase> cases{
        {kX, {0, Sin(10), Cos(10)}, kZ},
        {kMinusX, {0, Sin(10), Cos(10)}, kZ},
        {{1, 0.4, -0.3}, {-0.2, 0.3, 0.9}, kZ},
        {{0.3, -1, 0.2}, {0.1, -0.25, 1}, {0.1, 0.17, 0.98}},
        {{-0.7, 0.6, 0.1}, {0.5, 0.3, 0.8}, {-0.176327, 0, 1}},
    };
    for (const TCase& c : cases) {
        const double nd = (c.N.x * c.D.x + c.N.y * c.D.y + c.N.z * c.D.z) /
                          (c.N.x * c.N.x + c.N.y * c.N.y + c.N.z * c.N.z);
        const TVector3 along =
            Normalize({c.D.x - nd * c.N.x, c.D.y - nd * c.N.y, c.D.z - nd * c.N.z});
        const double rake = RakeAngle(c.D, c.Fn, c.N);
        EXPECT_NEAR(SectionRakeAngle(c.Fn, c.N, along), rake, 1e-9);
        EXPECT_NEAR(SectionRakeAngle(c.Fn, c.N, {-along.x, -along.y, -along.z}), -rake, 1e-9);
    }
}

// --- ComputeAngles ------------------------------------------------------------------

TSegment MakeSegment(const TVector3& direct, const TVector3& front, const TVector3& back,
                     double polar) {
    TSegment segment;
    segment.Direct = direct;
    segment.Front.Normal = front;
    segment.Back.Normal = back;
    segment.Polar = polar;
    return segment;
}

TModel ModelWith(std::vector<TSegment> segments, char separator = ',', int accuracy = 4) {
    TModel model(separator);
    model.SurfaceData.GeometrySettings.TableAccuracy = accuracy;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        segments[i].Number = static_cast<std::int32_t>(i + 1);
    }
    model.CutEdge = std::move(segments);
    model.SegmentCount = static_cast<std::int32_t>(model.CutEdge.size());
    model.CutEdgeExist = true;
    return model;
}

// Every system with its own distinct vectors, so that a system reading another's
// normal, or the working record, computes different angles.
void AcceptDistinctSystems(TModel& model) {
    model.AcceptedCS.SSK.OP = Normalize({0.1, -0.15, 1});
    model.AcceptedCS.KSK.OP = {-0.2, 0.05, 1};
    model.AcceptedCS.FeedPlan.FP = Normalize({0.3, 1, 0.1});
    model.AcceptedCS.DSK.SP = Normalize({0.9, 0.4, -0.05});
    model.WorkingCS.SSK.OP = {1, 0, 0};
    model.WorkingCS.KSK.OP = {0, 1, 0};
    model.WorkingCS.FeedPlan.FP = {0, 0, 1};
    model.WorkingCS.DSK.SP = {0, 0, 1};
}

TEST(ComputeAnglesTest, EachSystemMeasuresAgainstItsOwnAcceptedPlanes) {
    TModel model = ModelWith({MakeSegment({1, 0.2, -0.1}, {0.05, 0.2, 1}, {0.1, -1, 0.15}, 10),
                              MakeSegment({0.6, 1, 0.3}, {-0.3, 0.1, 1}, {-0.9, 0.5, 0.2}, 20)});
    AcceptDistinctSystems(model);
    for (int system = kISK; system <= kDSK; ++system) {
        model.ComputeAngles(system);
    }
    const CSValues& cs = model.AcceptedCS;
    for (const TSegment& s : model.CutEdge) {
        const TVector3& d = s.Direct;
        const TVector3& fn = s.Front.Normal;
        const TVector3& bn = s.Back.Normal;
        EXPECT_EQ(s.ISK, (TAngles3{ClearanceAngle(d, bn, kZ), RakeAngle(d, fn, kZ),
                                   InclinationAngle(d, kZ)}));
        const TVector3& n = cs.SSK.OP;
        const TVector3& k = cs.KSK.OP;
        const TVector3& p = cs.FeedPlan.FP;
        EXPECT_EQ(s.SSK, (TAngles4{ClearanceAngle(d, bn, n), RakeAngle(d, fn, n),
                                   InclinationAngle(d, n), PlanAngle(d, p, n)}));
        EXPECT_EQ(s.KSK, (TAngles4{ClearanceAngle(d, bn, k), RakeAngle(d, fn, k),
                                   InclinationAngle(d, k), PlanAngle(d, p, k)}));
        // The dynamic system keeps the static basic plane and measures only the rake
        // angle in its section plane.
        EXPECT_EQ(s.DSK, (TAngles4{s.SSK.A, SectionRakeAngle(fn, n, cs.DSK.SP), s.SSK.L, s.SSK.F}));
        EXPECT_NE(s.DSK.G, s.SSK.G);
        EXPECT_NE(s.KSK.G, s.SSK.G);
    }
    EXPECT_EQ(model.DefinedAngles, (std::array<bool, 4>{true, true, true, true}));
}

TEST(ComputeAnglesTest, SegmentAlongTheNormalGivesTheDegenerateAngles) {
    TModel model = ModelWith({MakeSegment(kAlongZ, {0, Sin(10), Cos(10)}, {0, -1, 0}, 0)});
    model.AcceptedCS.SSK.OP = kZ;
    model.AcceptedCS.FeedPlan.FP = {0, 1, 0};
    model.AcceptedCS.DSK.SP = kX;
    model.ComputeAngles(kISK);
    model.ComputeAngles(kSSK);
    model.ComputeAngles(kDSK);
    const TSegment& s = model.CutEdge[0];
    EXPECT_EQ(s.ISK, (TAngles3{180, 180, 180}));
    EXPECT_EQ(s.SSK, (TAngles4{180, 180, 180, 0}));
    // The section rake angle does not use the segment's direction.
    EXPECT_NEAR(s.DSK.G, 10.0, 1e-9);
    EXPECT_EQ(s.DSK.A, 180.0);
    EXPECT_EQ(s.DSK.F, 0.0);
}

// The plan angle of the main segment equals |Phi| of the working plane built for it,
// also on a tilted static plane.
TEST(ComputeAnglesTest, MainSegmentPlanAngleIsTheMainPlanAngle) {
    for (const double phi : {0.0, 30.0, -30.0, 120.0}) {
        TModel model = ModelWith(
            {MakeSegment({0, 1, 0}, kZ, kX, -20), MakeSegment({1, 0.3, -0.2}, kZ, kX, 40)});
        model.PreviewSSK(15, -60);
        model.AcceptSSK();
        model.WorkingCS.FeedPlan.HCE = 1;
        ASSERT_TRUE(model.PreviewFeedPlan(phi));
        model.AcceptFeedPlan();
        model.ComputeAngles(kSSK);
        // Near 0 and 180 degrees arccos resolves only to about 1e-6 degrees.
        EXPECT_NEAR(model.CutEdge[1].SSK.F, std::fabs(phi), 1e-5) << phi;
    }
}

struct TPresentationCase {
    const char* Name;
    int System;
    char Separator;
    int Accuracy;
};

class ComputeAnglesPresentationTest : public testing::TestWithParam<TPresentationCase> {};

TEST_P(ComputeAnglesPresentationTest, FillsTheSystemsColumnsSeriesAndMarksOnly) {
    const TPresentationCase& c = GetParam();
    // Rake +10 / -10, clearance -8 / 172, so that both signs and marks occur.
    TModel model =
        ModelWith({MakeSegment(kX, {0, Sin(10), Cos(10)}, {0, -Cos(8), Sin(8)}, 12.3456),
                   MakeSegment(kMinusX, {0, Sin(10), Cos(10)}, {0, -Cos(8), Sin(8)}, -101.98765)},
                  c.Separator, c.Accuracy);
    model.AcceptedCS.KSK.OP = kZ;
    model.AcceptedCS.FeedPlan.FP = {0, 1, 0};
    model.AcceptedCS.DSK.SP = {0.6, 0.8, 0};
    model.ComputeAngles(c.System);

    const int first = SystemInfo(c.System).FirstColumn;
    const int count = SystemInfo(c.System).AngleCount;
    for (int k = 3; k <= 17; ++k) {
        if (k >= first && k < first + count) {
            continue;
        }
        EXPECT_TRUE(model.Columns[k].empty()) << k;
        EXPECT_TRUE(model.Series(k).GetPoints().empty()) << k;
    }
    for (int column = 0; column < count; ++column) {
        const int k = first + column;
        const TStringList& texts = model.Columns[k];
        ASSERT_EQ(texts.size(), 3u) << k;
        EXPECT_EQ(texts[0], "") << k;
        const auto& points = model.Series(k).GetPoints();
        ASSERT_EQ(points.size(), 2u) << k;
        const TMarkedCellsOfCol& marks = model.MarkedCells[static_cast<std::size_t>(k - 3)];
        ASSERT_EQ(marks.size(), 2u) << k;
        for (std::size_t i = 0; i < 2; ++i) {
            const TSegment& s = model.CutEdge[i];
            const TAngles4 a = c.System == kISK   ? TAngles4{s.ISK.A, s.ISK.G, s.ISK.L, 0}
                               : c.System == kSSK ? s.SSK
                               : c.System == kKSK ? s.KSK
                                                  : s.DSK;
            const double shown[4] = {a.G, a.A, a.L, a.F};
            const double angle = shown[column];
            EXPECT_EQ(texts[i + 1], base::FloatToStrAcc(c.Accuracy, angle, c.Separator)) << k;
            EXPECT_EQ(marks[i], angle < 0) << k;
        }
        // Series are ordered by polar angle: segment 1 (-101.98765) comes first.
        EXPECT_EQ(points[0].X, base::RoundAcc(c.Accuracy, -101.98765));
        EXPECT_EQ(points[1].X, base::RoundAcc(c.Accuracy, 12.3456));
    }
    // The texts of the first column, written out: rake +10 and -10.
    const std::string ten = c.Accuracy == 0 ? "10" : "10" + std::string(1, c.Separator) + "00";
    if (c.System != kDSK) {
        EXPECT_EQ(model.Columns[first][1], ten);
        EXPECT_EQ(model.Columns[first][2], "-" + ten);
        EXPECT_EQ(model.Series(first).GetPoints()[0].Y, -10.0);
        EXPECT_EQ(model.Columns[first + 1][1], "-8" + ten.substr(2));
    }
    EXPECT_EQ(model.DefinedAngles[static_cast<std::size_t>(c.System)], true);
    EXPECT_EQ(std::count(model.DefinedAngles.begin(), model.DefinedAngles.end(), true), 1);
    EXPECT_TRUE(model.SurfaceData.Modified);
}

INSTANTIATE_TEST_SUITE_P(Systems, ComputeAnglesPresentationTest,
                         testing::Values(TPresentationCase{"ToolComma", kISK, ',', 2},
                                         TPresentationCase{"StaticPoint", kSSK, '.', 2},
                                         TPresentationCase{"KinematicCommaNoDecimals", kKSK, ',',
                                                           0},
                                         TPresentationCase{"DynamicPoint", kDSK, '.', 4}),
                         [](const testing::TestParamInfo<TPresentationCase>& info) {
                             return std::string(info.param.Name);
                         });

TEST(ComputeAnglesTest, MarksASlightlyNegativeValueThatIsShownAsZero) {
    // Inclinations of about -0.0000057 and exactly 0: both shown as "0,0000".
    TModel model = ModelWith({MakeSegment({1, 0, 1e-7}, kZ, kX, 0), MakeSegment(kX, kZ, kX, 1)});
    model.ComputeAngles(kISK);
    ASSERT_LT(model.CutEdge[0].ISK.L, 0.0);
    EXPECT_EQ(model.Columns[5][1], "0,0000");
    EXPECT_EQ(model.Columns[5][2], "0,0000");
    EXPECT_TRUE(model.MarkedCells[2][0]);
    EXPECT_FALSE(model.MarkedCells[2][1]);
}

TEST(ComputeAnglesTest, ResizesEveryMarkArrayAndKeepsOtherSystemsMarks) {
    TModel model = ModelWith(
        {MakeSegment(kX, kZ, kX, 0), MakeSegment(kX, kZ, kX, 1), MakeSegment(kX, kZ, kX, 2)});
    model.MarkedCells[14] = {true};
    model.MarkedCells[6] = {true, true, true, true, true};
    model.ComputeAngles(kISK);
    for (std::size_t k = 0; k < model.MarkedCells.size(); ++k) {
        EXPECT_EQ(model.MarkedCells[k].size(), 3u) << k;
    }
    EXPECT_EQ(model.MarkedCells[14], (TMarkedCellsOfCol{true, false, false}));
    EXPECT_EQ(model.MarkedCells[6], (TMarkedCellsOfCol{true, true, true}));
}

TEST(ComputeAnglesTest, RecomputingReplacesTheColumnsInsteadOfAppending) {
    TModel model = ModelWith({MakeSegment(kX, {0, Sin(10), Cos(10)}, kX, 0)});
    model.ComputeAngles(kISK);
    model.CutEdge[0].Direct = kMinusX;
    model.ComputeAngles(kISK);
    EXPECT_EQ(model.Columns[3], (TStringList{"", "-10,0000"}));
    ASSERT_EQ(model.Series(3).GetPoints().size(), 1u);
    EXPECT_EQ(model.Series(3).GetPoints()[0].Y, -10.0);
}

TEST(RefillColumnsTest, ShowsEveryColumnWithTheNewAccuracyAsIfComputedWithIt) {
    auto analysed = [](int accuracy) {
        TModel model = ModelWith({MakeSegment(kX, {0, Sin(10), Cos(10)}, kX, 12.345678),
                                  MakeSegment(kMinusX, {0, Sin(3), Cos(3)}, kX, -1.5)},
                                 ',', accuracy);
        model.FillNumberColumns();
        AcceptDistinctSystems(model);
        model.ComputeAngles(kISK);
        model.ComputeAngles(kDSK);
        model.SelectCutEdge = {model.CutEdge[1]};
        model.SelectCutEdgeExist = true;
        model.FillSelectionLists();
        return model;
    };
    TModel model = analysed(4);
    model.SurfaceData.GeometrySettings.TableAccuracy = 1;
    model.RefillColumns();
    const TModel expected = analysed(1);
    for (int k = 1; k <= tessarin::model::kColumnCount; ++k) {
        EXPECT_EQ(model.Columns[k], expected.Columns[k]) << "column " << k;
    }
    EXPECT_EQ(model.Columns[2], (TStringList{"", "12,3", "-1,5"}));
}

TEST(ComputeAnglesTest, ReportsProgressWithTheSystemsTextAndOneLessThanTheSegments) {
    const std::string_view texts[] = {"Расчёт углов в ИСК >>", "Расчёт углов в ССК >>",
                                      "Расчёт углов в КСК >>", "Расчёт углов в ДСК >>"};
    TModel model = ModelWith(std::vector<TSegment>(3, MakeSegment(kX, kZ, kX, 0)));
    for (int system = kISK; system <= kDSK; ++system) {
        TRecordingProgress progress;
        model.ComputeAngles(system, progress);
        EXPECT_EQ(progress.Text, texts[system]);
        EXPECT_EQ(progress.Maximum, 2);
        EXPECT_EQ(progress.Starts.size(), 1u);
        EXPECT_EQ(progress.Finishes, 1);
        EXPECT_EQ(progress.Stepped, 2);
    }
}

TEST(ComputeAnglesTest, StepsInBatchesAndNeverBeyondTheMaximum) {
    const std::size_t count = 2 * static_cast<std::size_t>(kProgressBatch) + 5;
    TModel model = ModelWith(std::vector<TSegment>(count, MakeSegment(kX, kZ, kX, 0)));
    TRecordingProgress progress;
    model.ComputeAngles(kISK, progress);
    EXPECT_EQ(progress.Maximum, static_cast<int>(count) - 1);
    EXPECT_EQ(progress.StepCalls, 3);
    EXPECT_EQ(progress.Stepped, progress.Maximum);
}

TEST(ComputeAnglesTest, WithoutSegmentsTheProgressMaximumIsZero) {
    TModel model = ModelWith({});
    TRecordingProgress progress;
    model.ComputeAngles(kSSK, progress);
    EXPECT_EQ(progress.Maximum, 0);
    EXPECT_EQ(progress.Finishes, 1);
    EXPECT_EQ(model.Columns[6], (TStringList{""}));
    EXPECT_TRUE(model.DefinedAngles[kSSK]);
}

}  // namespace
}  // namespace tessarin::model
