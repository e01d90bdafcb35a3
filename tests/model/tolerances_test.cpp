#include "model/tolerances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "model/cut_edge.h"

namespace tessarin::model {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const TTolerance kGn{{kSSK, kKindGn}, 6.0, -0.5, 0.5};

struct TJudgeCase {
    const char* Name;
    double Value;
    TVerdict Verdict;
};

class JudgeTest : public testing::TestWithParam<TJudgeCase> {};

TEST_P(JudgeTest, VerdictOnOneValue) {
    EXPECT_EQ(Judge(GetParam().Value, kGn), GetParam().Verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Values, JudgeTest,
    testing::Values(TJudgeCase{"Nominal", 6.0, TVerdict::Inside},
                    TJudgeCase{"Inside", 5.75, TVerdict::Inside},
                    TJudgeCase{"OnTheLowerBound", 5.5, TVerdict::Inside},
                    TJudgeCase{"OnTheUpperBound", 6.5, TVerdict::Inside},
                    TJudgeCase{"JustAbove", std::nextafter(6.5, 7.0), TVerdict::Outside},
                    TJudgeCase{"JustBelow", std::nextafter(5.5, 5.0), TVerdict::Outside},
                    TJudgeCase{"FarOutside", -30.0, TVerdict::Outside},
                    TJudgeCase{"Infinite", kInf, TVerdict::Outside},
                    TJudgeCase{"NotANumber", kNaN, TVerdict::NotANumber}),
    [](const testing::TestParamInfo<TJudgeCase>& info) { return std::string(info.param.Name); });

TEST(ToleranceTest, OnlySoundTolerancesAreValid) {
    EXPECT_TRUE(ValidTolerance(kGn));
    EXPECT_TRUE(ValidTolerance({{kISK, kKindG}, -3, 0, 0}));  // an exact value
    const TTolerance bad[] = {
        {{kSSK, kKindGn}, 6, 0.1, 0.5}, {{kSSK, kKindGn}, 6, -0.5, -0.1},
        {{kSSK, kKindGn}, kNaN, -1, 1}, {{kSSK, kKindGn}, 6, -kInf, 1},
        {{kISK, kKindF}, 6, -1, 1},  // ISK has no plan angle
    };
    for (const TTolerance& tolerance : bad) {
        EXPECT_FALSE(ValidTolerance(tolerance))
            << AngleKey(tolerance.Angle) << " " << tolerance.Nominal;
    }
}

TEST(ToleranceTest, SetKeepsTheAnglesOrderAndReplaces) {
    TToleranceSet set;
    SetTolerance(set, {{kDSK, kKindPsi}, 1, -1, 1});
    SetTolerance(set, kGn);
    SetTolerance(set, {{kISK, kKindA}, 1, -1, 1});
    SetTolerance(set, {{kSSK, kKindGn}, 7, -1, 2});
    ASSERT_EQ(set.size(), 3u);
    EXPECT_EQ(AngleKey(set[0].Angle), "isk.a");
    EXPECT_EQ(AngleKey(set[1].Angle), "ssk.gn");
    EXPECT_EQ(set[1].Nominal, 7);
    EXPECT_EQ(AngleKey(set[2].Angle), "dsk.psi");
}

// Five segments in two edges; values for SSK G and SSK Gn; DSK is not computed.
TEST(CheckTolerancesTest, CountsSharesAndTheWorstDeviation) {
    const TPolygon none;
    TCutEdgeData segments = {MakeSegment({0, 0, 0}, {1, 0, 0}, none, none),
                             MakeSegment({1, 0, 0}, {2, 0, 0}, none, none),
                             MakeSegment({2, 0, 0}, {3, 0, 0}, none, none),
                             MakeSegment({7, 0, 0}, {8, 0, 0}, none, none),
                             MakeSegment({8, 0, 0}, {9, 0, 0}, none, none)};
    for (std::size_t i = 0; i < segments.size(); ++i) {
        segments[i].Number = static_cast<std::int32_t>(i + 1);
    }
    const TEdges edges = GroupEdges(segments, 0.001, 30);
    ASSERT_EQ(edges.Edges.size(), 2u);
    TAngleTable table;
    table.Angles = {{kSSK, kKindG}, {kSSK, kKindGn}};
    table.SegmentCount = 5;
    //              G     Gn
    table.Values = {10, 6.5,   // on the bound
                    12, 5.2,   // 0.3 below the lower bound
                    10, kNaN,  // not a number
                    10, 6.1,   //
                    30, 7.0};  // 0.5 above the upper bound
    TToleranceSet set;
    SetTolerance(set, kGn);
    SetTolerance(set, {{kSSK, kKindG}, 10, -1, 2.5});
    SetTolerance(set, {{kDSK, kKindG}, 0, -1, 1});
    const TToleranceReport report = CheckTolerances(segments, edges, table, set);

    ASSERT_EQ(report.Judged.size(), 2u);
    EXPECT_EQ(AngleKey(report.Judged[0].Angle), "ssk.g");
    ASSERT_EQ(report.NotComputed.size(), 1u);
    EXPECT_EQ(AngleKey(report.NotComputed[0].Angle), "dsk.g");

    EXPECT_EQ(report.SegmentInside, (std::vector<bool>{true, false, false, true, false}));
    EXPECT_EQ(report.Verdict(2, 1), TVerdict::NotANumber);
    EXPECT_TRUE(report.AnyOutside());

    const TToleranceCount& g = report.Tool[0];
    EXPECT_EQ(g.Inside, 4);
    EXPECT_DOUBLE_EQ(g.Share(), 0.8);
    EXPECT_EQ(g.Worst.Segment, 5);
    EXPECT_EQ(g.Worst.Deviation, 20);

    const TToleranceCount& gn = report.Tool[1];
    EXPECT_EQ(gn.Segments, 5);
    EXPECT_EQ(gn.Inside, 2);
    EXPECT_EQ(gn.NotNumbers, 1);
    EXPECT_EQ(gn.Outside(), 3);
    EXPECT_EQ(gn.Worst.Segment, 5);  // 0.5 beyond its bound against segment 2's 0.3
    EXPECT_DOUBLE_EQ(gn.Worst.Deviation, 1.0);

    // Edge 1: segments 1..3; its worst Gn is segment 2's, signed below the nominal.
    const TToleranceCount& first = report.Edges[0][1];
    EXPECT_EQ(first.Segments, 3);
    EXPECT_EQ(first.Inside, 1);
    EXPECT_EQ(first.Worst.Segment, 2);
    EXPECT_NEAR(first.Worst.Deviation, -0.8, 1e-12);
    // Within every tolerance: segments 1 and 4.
    EXPECT_EQ(report.ToolAll.Inside, 2);
    EXPECT_EQ(report.EdgesAll[0].Inside, 1);
    EXPECT_EQ(report.EdgesAll[1].Inside, 1);
    EXPECT_DOUBLE_EQ(report.EdgesAll[1].Share(), 0.5);
}

// All inside: the worst is the value closest to its bound, with the margin it leaves.
TEST(CheckTolerancesTest, EverythingInsideStillNamesTheClosestSegment) {
    const TPolygon none;
    TCutEdgeData segments = {MakeSegment({0, 0, 0}, {1, 0, 0}, none, none),
                             MakeSegment({1, 0, 0}, {2, 0, 0}, none, none)};
    segments[0].Number = 1;
    segments[1].Number = 2;
    const TAngleTable table{{{kSSK, kKindGn}}, 2, {6.1, 5.6}};
    const TToleranceReport report =
        CheckTolerances(segments, GroupEdges(segments, 0.001, 30), table, {kGn});
    EXPECT_FALSE(report.AnyOutside());
    EXPECT_EQ(report.Tool[0].Worst.Segment, 2);
    EXPECT_NEAR(report.Tool[0].Worst.Deviation, -0.4, 1e-12);
    EXPECT_LE(report.Tool[0].Worst.Excess, 0.0);
    // No tolerance: nothing judged, nothing outside.
    EXPECT_FALSE(
        CheckTolerances(segments, GroupEdges(segments, 0.001, 30), table, {}).AnyOutside());
}

}  // namespace
}  // namespace tessarin::model
