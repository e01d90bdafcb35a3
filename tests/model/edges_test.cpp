#include "model/edges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "model/cut_edge.h"
#include "model/model.h"
#include "samples/sample_tool.h"
#include "tests/support/sample_road.h"

namespace tessarin::model {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One insert seen from above: its inner-left corner, the outer corners and its inner-right
// corner, walked so that the polar angle grows: the left lateral edge outwards, the outer
// edge, the right lateral edge inwards. Three straight sides with right-angled corners.
struct TInsert {
    double Polar;   // degrees, the insert's centre line
    double Radius;  // of the outer edge
    double Half;    // half the outer edge's length
    double Depth;   // length of the lateral edges
    int Pieces;     // segments per side
};

TVector3 At(const TInsert& insert, double along, double across) {
    const double a = insert.Polar * std::numbers::pi / 180.0;
    return {along * std::cos(a) - across * std::sin(a), along * std::sin(a) + across * std::cos(a),
            0.0};
}

// Segments as the search makes them, in the polar order and numbered. The polygons are
// empty, so each segment runs the way its polar angle grows.
TCutEdgeData CutEdgeOf(const std::vector<TInsert>& inserts) {
    TCutEdgeData segments;
    const TPolygon none;
    for (const TInsert& insert : inserts) {
        const double inner = insert.Radius - insert.Depth;
        const TVector3 corners[4] = {
            At(insert, inner, -insert.Half), At(insert, insert.Radius, -insert.Half),
            At(insert, insert.Radius, insert.Half), At(insert, inner, insert.Half)};
        for (int side = 0; side < 3; ++side) {
            const TVector3& from = corners[side];
            const TVector3& to = corners[side + 1];
            for (int k = 0; k < insert.Pieces; ++k) {
                auto point = [&](int j) {
                    const double t = static_cast<double>(j) / insert.Pieces;
                    return TVector3{from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t,
                                    0.0};
                };
                segments.push_back(MakeSegment(point(k), point(k + 1), none, none));
            }
        }
    }
    OrderByPolar(segments);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        segments[i].Number = static_cast<std::int32_t>(i + 1);
    }
    return segments;
}

// Inserts of different sizes and fineness around the tool; the first sits across the
// negative X axis with an odd piece count, so a segment of its outer edge straddles +-180.
const std::vector<TInsert> kInserts = {
    {180.0, 40.0, 6.0, 5.0, 5}, {-120.0, 25.0, 3.0, 2.0, 2}, {-60.0, 60.0, 9.0, 8.0, 7},
    {0.0, 40.0, 1.0, 1.0, 1},   {70.0, 32.0, 4.0, 6.0, 4},   {120.0, 50.0, 2.5, 3.0, 3},
};

void ExpectConsistent(const TEdges& edges, const TCutEdgeData& segments) {
    std::int32_t total = 0;
    for (std::size_t e = 0; e < edges.Edges.size(); ++e) {
        const TEdge& edge = edges.Edges[e];
        EXPECT_EQ(edge.Number, static_cast<std::int32_t>(e + 1));
        total += edge.Count;
        for (std::int32_t k = 0; k < edge.Count; ++k) {
            const auto s = static_cast<std::size_t>(edge.First + k) % segments.size();
            EXPECT_EQ(edges.EdgeOfSegment[s], static_cast<std::int32_t>(e));
        }
        const auto last = static_cast<std::size_t>(edge.First + edge.Count - 1) % segments.size();
        EXPECT_EQ(edge.PolarFrom, segments[static_cast<std::size_t>(edge.First)].Polar);
        EXPECT_EQ(edge.PolarTo, segments[last].Polar);
    }
    EXPECT_EQ(total, static_cast<std::int32_t>(segments.size()));
}

TEST(GroupEdgesTest, EveryInsertGivesItsThreeSidesWhateverItsSize) {
    const TCutEdgeData segments = CutEdgeOf(kInserts);
    const TEdges edges = GroupEdges(segments, kDefaultPointTolerance, kDefaultEdgeKinkAngle);
    ASSERT_EQ(edges.Edges.size(), kInserts.size() * 3);
    ExpectConsistent(edges, segments);
    // Each side as long as it was built, in the polar order (the insert across +-180 has
    // its outer edge first, wrapping; its right side follows at once, its left side last).
    const TEdge& wrapped = edges.Edges.front();
    EXPECT_EQ(wrapped.Count, 5);
    EXPECT_GT(wrapped.First, 0);
    EXPECT_GT(wrapped.PolarFrom, 0.0);
    EXPECT_LT(wrapped.PolarTo, 0.0);
    EXPECT_NEAR(wrapped.Length, 12.0, 1e-9);
    EXPECT_NEAR(edges.Edges[1].Length, 5.0, 1e-9);
    EXPECT_NEAR(edges.Edges.back().Length, 5.0, 1e-9);
    EXPECT_EQ(edges.Edges[2].Count, 2);  // the small insert's left side
    EXPECT_NEAR(edges.Edges[2].Length, 2.0, 1e-9);
}

// Which way the search happened to point a segment must not change the edges.
TEST(GroupEdgesTest, TheSegmentsDirectionsDoNotMatter) {
    const TCutEdgeData segments = CutEdgeOf(kInserts);
    TCutEdgeData turned = segments;
    for (std::size_t i = 0; i < turned.size(); i += 2) {
        std::swap(turned[i].Point1, turned[i].Point2);
    }
    for (std::size_t i = 0; i < turned.size(); i += 3) {
        std::swap(turned[i].Point1, turned[i].Point2);
    }
    const TEdges plain = GroupEdges(segments, kDefaultPointTolerance, kDefaultEdgeKinkAngle);
    const TEdges edges = GroupEdges(turned, kDefaultPointTolerance, kDefaultEdgeKinkAngle);
    EXPECT_EQ(edges.EdgeOfSegment, plain.EdgeOfSegment);
    ASSERT_EQ(edges.Edges.size(), plain.Edges.size());
    for (std::size_t e = 0; e < edges.Edges.size(); ++e) {
        EXPECT_EQ(edges.Edges[e].First, plain.Edges[e].First);
        EXPECT_EQ(edges.Edges[e].Count, plain.Edges[e].Count);
    }
}

struct TKinkCase {
    const char* Name;
    double KinkAngle;
    std::size_t EdgesPerInsert;
};

class EdgeKinkTest : public testing::TestWithParam<TKinkCase> {};

TEST_P(EdgeKinkTest, ARightAngledCornerSplitsOnlyBelowItsAngle) {
    const TCutEdgeData segments = CutEdgeOf(kInserts);
    const TEdges edges = GroupEdges(segments, kDefaultPointTolerance, GetParam().KinkAngle);
    EXPECT_EQ(edges.Edges.size(), kInserts.size() * GetParam().EdgesPerInsert);
    ExpectConsistent(edges, segments);
}

INSTANTIATE_TEST_SUITE_P(Angles, EdgeKinkTest,
                         testing::Values(TKinkCase{"Default", kDefaultEdgeKinkAngle, 3},
                                         TKinkCase{"JustBelowTheCorner", 89.9, 3},
                                         TKinkCase{"JustAboveTheCorner", 90.1, 1},
                                         TKinkCase{"HalfTurn", 180.0, 1},
                                         TKinkCase{"StraightPiecesStayOneEdge", 1e-6, 3}),
                         [](const testing::TestParamInfo<TKinkCase>& info) {
                             return std::string(info.param.Name);
                         });

TEST(EdgeKinkTest, AKinkOfExactlyTheAngleStaysInTheEdge) {
    const TPolygon none;
    const TCutEdgeData segments = {MakeSegment({0, 0, 0}, {1, 0, 0}, none, none),
                                   MakeSegment({1, 0, 0}, {2, 0.7, 0}, none, none)};
    const std::optional<TJoint> joint = JoinSegments(segments[0], -1, segments[1], 0.001);
    ASSERT_TRUE(joint);
    EXPECT_GT(joint->Kink, 30.0);
    EXPECT_EQ(GroupEdges(segments, 0.001, joint->Kink).Edges.size(), 1u);
    EXPECT_EQ(GroupEdges(segments, 0.001, std::nextafter(joint->Kink, 0.0)).Edges.size(), 2u);
}

TEST(GroupEdgesTest, EndsMeetWithinThePointTolerance) {
    const TPolygon none;
    for (const double gap : {0.0004, 0.0015}) {
        SCOPED_TRACE(gap);
        const TCutEdgeData segments = {MakeSegment({0, 0, 0}, {1, 0, 0}, none, none),
                                       MakeSegment({1 + gap, 0, 0}, {2, 0, 0}, none, none)};
        EXPECT_EQ(GroupEdges(segments, 0.001, 30).Edges.size(), gap < 0.001 ? 1u : 2u);
    }
    EXPECT_TRUE(GroupEdges({}, 0.001, 30).Edges.empty());
}

// One closed chain, a ring around the axis, is one edge and is not joined to itself twice.
TEST(GroupEdgesTest, AClosedRingIsOneEdge) {
    const TPolygon none;
    TCutEdgeData segments;
    constexpr int kPieces = 36;
    for (int k = 0; k < kPieces; ++k) {
        const double a = 2 * std::numbers::pi * k / kPieces;
        const double b = 2 * std::numbers::pi * (k + 1) / kPieces;
        segments.push_back(MakeSegment({10 * std::cos(a), 10 * std::sin(a), 0},
                                       {10 * std::cos(b), 10 * std::sin(b), 0}, none, none));
    }
    OrderByPolar(segments);
    const TEdges edges = GroupEdges(segments, 0.001, 30);
    ASSERT_EQ(edges.Edges.size(), 1u);
    EXPECT_EQ(edges.Edges[0].First, 0);
    EXPECT_EQ(edges.Edges[0].Count, kPieces);
}

TEST(SummarizeEdgesTest, LengthWeightedMeanAndNotANumberCounted) {
    const TPolygon none;
    // Lengths 1, 3 (one edge), then 2 (a second edge after a gap).
    const TCutEdgeData segments = {MakeSegment({0, 0, 0}, {1, 0, 0}, none, none),
                                   MakeSegment({1, 0, 0}, {4, 0, 0}, none, none),
                                   MakeSegment({4, 0, 0}, {4, 0, 0}, none, none),
                                   MakeSegment({9, 0, 0}, {11, 0, 0}, none, none)};
    const TEdges edges = GroupEdges(segments, 0.001, 30);
    ASSERT_EQ(edges.Edges.size(), 2u);
    TAngleTable table;
    table.Angles = {{kSSK, kKindG}, {kSSK, kKindGn}};
    table.SegmentCount = 4;
    table.Values = {10, kNaN, 20, kNaN, 99, kNaN, -4, 1};
    const TEdgeReport report = SummarizeEdges(segments, edges, table);
    ASSERT_EQ(report.Edges.size(), 2u);
    const TAngleStats& first = report.Edges[0].Angles[0];
    EXPECT_EQ(first.Min, 10);
    EXPECT_EQ(first.Max, 99);  // the zero-length segment counts for the range, not the mean
    EXPECT_DOUBLE_EQ(first.Mean, (10 * 1 + 20 * 3) / 4.0);
    EXPECT_EQ(first.Numbers, 3);
    const TAngleStats& none1 = report.Edges[0].Angles[1];
    EXPECT_TRUE(std::isnan(none1.Min) && std::isnan(none1.Mean) && std::isnan(none1.Max));
    EXPECT_EQ(none1.NotNumbers, 3);
    EXPECT_EQ(report.Edges[1].Angles[1].Mean, 1);
    EXPECT_EQ(report.Tool.Segments, 4);
    EXPECT_DOUBLE_EQ(report.Tool.Length, 6.0);
    EXPECT_EQ(report.Tool.Angles[0].Min, -4);
    EXPECT_DOUBLE_EQ(report.Tool.Angles[0].Mean, (10 + 60 - 8) / 6.0);
    EXPECT_EQ(report.Tool.Angles[1].NotNumbers, 3);

    // Only zero-length segments: the plain mean.
    const TCutEdgeData dots = {segments[2]};
    TAngleTable one{{{kSSK, kKindG}}, 1, {7}};
    EXPECT_EQ(SummarizeEdges(dots, GroupEdges(dots, 0.001, 30), one).Tool.Angles[0].Mean, 7);
}

// The sample tool on its road: three sides per insert, and the summaries read the same
// numbers as the segments hold.
TEST(SummarizeEdgesTest, TheSampleToolOnItsRoad) {
    samples::TSampleToolLayout layout;
    layout.EdgeDivisions = 3;
    layout.LateralDivisions = 2;
    layout.FlankRows = 1;
    layout.BodyDivisions = 1;
    TModel model(',');
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    model.SurfaceData.Polygons = samples::GenerateSampleTool(layout);
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(model.SurfaceData.Polygons.size());
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SortSurfaces();
    ASSERT_TRUE(model.FindCutEdge());
    EXPECT_TRUE(ComputedAngleTable(model).Angles.empty());
    test::DefineAndComputeSampleRoad(model);

    const TEdges edges = GroupModelEdges(model);
    ASSERT_EQ(edges.Edges.size(), static_cast<std::size_t>(layout.InsertCount) * 3);
    ExpectConsistent(edges, model.CutEdge);
    const TAngleTable table = ComputedAngleTable(model);
    ASSERT_EQ(table.Angles, AllAngles());
    const TEdgeReport report = SummarizeEdges(model.CutEdge, edges, table);
    const int ssk = table.IndexOf({kSSK, kKindG});
    ASSERT_GE(ssk, 0);
    for (std::size_t e = 0; e < edges.Edges.size(); ++e) {
        const TEdge& edge = edges.Edges[e];
        EXPECT_EQ(edge.Count, e % 3 == 0 ? layout.EdgeDivisions : layout.LateralDivisions) << e;
        const TAngleStats& stats = report.Edges[e].Angles[static_cast<std::size_t>(ssk)];
        EXPECT_LE(stats.Min, stats.Mean);
        EXPECT_LE(stats.Mean, stats.Max);
        EXPECT_EQ(stats.Numbers, edge.Count);
        const TSegment& first = model.CutEdge[static_cast<std::size_t>(edge.First)];
        EXPECT_EQ(table.Value(static_cast<std::size_t>(edge.First), static_cast<std::size_t>(ssk)),
                  first.SSK.G);
    }
    EXPECT_EQ(report.Tool.Segments, model.SegmentCount);
}

}  // namespace
}  // namespace tessarin::model
