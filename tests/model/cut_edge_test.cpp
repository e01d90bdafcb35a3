#include "model/cut_edge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "model/model.h"
#include "samples/sample_tool.h"
#include "tests/support/cut_edge_reference.h"
#include "tests/support/fixtures.h"
#include "tests/support/recording_progress.h"
#include "tests/support/same_bits.h"

namespace tessarin::model {
namespace {

using test::TRecordingProgress;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TPolygon Triangle(TVector3 a, TVector3 b, TVector3 c) {
    return {a, b, c, {0, 0, 1}};
}

using test::SameBits;
bool SameBits(const TAngles4& a, const TAngles4& b) {
    return SameBits(a.A, b.A) && SameBits(a.G, b.G) && SameBits(a.L, b.L) && SameBits(a.F, b.F);
}
bool SameBits(const TSegment& a, const TSegment& b) {
    return SameBits(a.Point1, b.Point1) && SameBits(a.Point2, b.Point2) &&
           SameBits(a.Direct, b.Direct) && SameBits(a.Polar, b.Polar) &&
           SameBits(a.Front, b.Front) && SameBits(a.Back, b.Back) && SameBits(a.ISK.A, b.ISK.A) &&
           SameBits(a.ISK.G, b.ISK.G) && SameBits(a.ISK.L, b.ISK.L) && SameBits(a.SSK, b.SSK) &&
           SameBits(a.KSK, b.KSK) && SameBits(a.DSK, b.DSK) && a.Number == b.Number;
}

// operator== on the whole vectors; where NaN makes that fail, equal bit for bit.
testing::AssertionResult SameSegments(const TCutEdgeData& actual, const TCutEdgeData& expected) {
    if (actual == expected) {
        return testing::AssertionSuccess();
    }
    if (actual.size() != expected.size()) {
        return testing::AssertionFailure()
               << actual.size() << " segments instead of " << expected.size();
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (!SameBits(actual[i], expected[i])) {
            return testing::AssertionFailure()
                   << "first difference at segment " << i << ": Polar " << actual[i].Polar
                   << " instead of " << expected[i].Polar;
        }
    }
    return testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------------------
// MakeSegment

struct TMakeSegmentCase {
    const char* Name;
    TVector3 A;
    TVector3 B;
    bool AFirst;  // Point1 is A
    double Polar;
};

class MakeSegmentTest : public testing::TestWithParam<TMakeSegmentCase> {};

TEST_P(MakeSegmentTest, PointOneIsTheCounterClockwiseStart) {
    const TMakeSegmentCase& c = GetParam();
    const TSegment s = MakeSegment(c.A, c.B, Triangle(c.A, c.B, {9, 9, 9}), Triangle({}, {}, {}));
    EXPECT_TRUE(SameBits(s.Point1, c.AFirst ? c.A : c.B));
    EXPECT_TRUE(SameBits(s.Point2, c.AFirst ? c.B : c.A));
    if (std::isnan(c.Polar)) {
        EXPECT_TRUE(std::isnan(s.Polar));
    } else {
        EXPECT_NEAR(s.Polar, c.Polar, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MakeSegmentTest,
    testing::Values(
        // Both ends on one ray: equal end angles take the second point first.
        TMakeSegmentCase{"EqualEndAngles", {0, 1, 0}, {0, 1, 1}, false, 90.0},
        TMakeSegmentCase{"CounterClockwise", {1, 1, 0}, {1, 0, 0}, false, 26.56505117707799},
        TMakeSegmentCase{"AcrossPositiveXAxis", {1, -0.1, 0}, {1, 0.1, 0}, true, 0.0},
        // Across the negative X axis the raw end angles are about +174 and -174; without
        // unwrapping the order would come out clockwise.
        TMakeSegmentCase{"AcrossNegativeXFromAbove", {-1, 0.1, 0}, {-1, -0.1, 0}, true, 180.0},
        TMakeSegmentCase{"AcrossNegativeXFromBelow", {-1, -0.1, 0}, {-1, 0.1, 0}, false, 180.0},
        TMakeSegmentCase{
            "FirstRuleMidpointAbove", {-1, 0.2, 0}, {-1, -0.1, 0}, true, 177.13759477388825},
        TMakeSegmentCase{
            "FirstRuleMidpointBelow", {-1, 0.1, 0}, {-1, -0.2, 0}, true, -177.13759477388825},
        TMakeSegmentCase{
            "SecondRuleMidpointAbove", {-1, -0.1, 0}, {-1, 0.2, 0}, false, 177.13759477388825},
        TMakeSegmentCase{
            "SecondRuleMidpointBelow", {-1, -0.2, 0}, {-1, 0.1, 0}, false, -177.13759477388825},
        // Ends just past +-90 degrees also count as crossing.
        TMakeSegmentCase{"SteepAcrossNegativeX", {-0.1, 1, 0}, {-0.1, -1, 0}, true, 180.0},
        TMakeSegmentCase{"NotANumberTakesSecondPoint", {kNaN, 0, 0}, {1, 0, 0}, false, kNaN}),
    [](const testing::TestParamInfo<TMakeSegmentCase>& info) { return info.param.Name; });

TEST(MakeSegmentRecordTest, CarriesDirectionAndBothPolygonsWithZeroAngles) {
    const TPolygon front = Triangle({-1, 0.1, 0}, {-1, -0.1, 0}, {0, 0, 0});
    const TPolygon back = Triangle({-1, -0.1, 0}, {-1, 0.1, 0}, {-2, 0, -1});
    const TSegment s = MakeSegment(front.Vert2, front.Vert1, front, back);
    EXPECT_EQ(s.Point1, (TVector3{-1, 0.1, 0}));
    EXPECT_EQ(s.Direct, (TVector3{0, -0.2, 0}));
    EXPECT_EQ(s.Front, front);
    EXPECT_EQ(s.Back, back);
    EXPECT_EQ(s.ISK, TAngles3{});
    EXPECT_EQ(s.SSK, TAngles4{});
    EXPECT_EQ(s.KSK, TAngles4{});
    EXPECT_EQ(s.DSK, TAngles4{});
    EXPECT_EQ(s.Number, 0);
}

// ---------------------------------------------------------------------------------------
// Pairing of one front with one back list

struct TPairingCase {
    const char* Name;
    TSurface Front;
    TSurface Back;
    std::size_t Segments;
};

class PairingTest : public testing::TestWithParam<TPairingCase> {};

TEST_P(PairingTest, GivesTheSegmentsOfTheFullDoubleLoop) {
    const TPairingCase& c = GetParam();
    TCutEdgeData fast;
    TCutEdgeData reference;
    CollectCutEdgeSegments(c.Front, c.Back, fast);
    test::ReferenceCollectSegments(c.Front, c.Back, reference);
    EXPECT_EQ(fast.size(), c.Segments);
    EXPECT_TRUE(SameSegments(fast, reference));
}

const TPolygon kRake = Triangle({0, 1, 0}, {0, 1, 1}, {1, 1, 0.5});
const TPolygon kFlank = Triangle({0, 1, 1}, {0, 1, 0}, {-1, 1, 0.5});

INSTANTIATE_TEST_SUITE_P(
    Cases, PairingTest,
    testing::Values(
        TPairingCase{"SharedEdge", {kRake}, {kFlank}, 1},
        TPairingCase{
            "OneSharedVertexOnly", {kRake}, {Triangle({0, 1, 0}, {5, 5, 5}, {6, 5, 5})}, 0},
        TPairingCase{"WithinTolerance",
                     {kRake},
                     {Triangle({0.0009, 1, 0}, {0, 1.0009, 1}, {-1, 1, 0.5})},
                     1},
        TPairingCase{"ExactlyTheToleranceApart",
                     {kRake},
                     {Triangle({0.001, 1, 0}, {0, 1, 1}, {-1, 1, 0.5})},
                     0},
        // Two back vertices within the tolerance of the same front vertex: the last
        // three blocks test them separately, so the edge comes twice.
        TPairingCase{"DegenerateBackTriangle",
                     {Triangle({5, 0, 0}, {0, 1, 0}, {0, 1, 1})},
                     {Triangle({0, 1, 0}, {0, 1, 1}, {0, 1.0005, 1})},
                     2},
        TPairingCase{"DuplicateBackTriangle", {kRake}, {kFlank, kFlank}, 2},
        // A polygon in both lists shares its three edges with itself.
        TPairingCase{"SamePolygonInBothLists", {kRake}, {kRake}, 3},
        // NaN matches anything: every block fires twice.
        TPairingCase{"NotANumberBackTriangle",
                     {kRake, Triangle({50, 0, 0}, {51, 0, 0}, {50, 1, 0})},
                     {Triangle({kNaN, kNaN, kNaN}, {kNaN, kNaN, kNaN}, {kNaN, kNaN, kNaN})},
                     24},
        TPairingCase{"NotANumberCoordinateFront",
                     {Triangle({kNaN, 1, 0}, {0, 1, 1}, {1, 1, 0.5})},
                     {kFlank, Triangle({7, 1, 0}, {0, 1, 1}, {0, 0, 0})},
                     2},
        // inf - inf is NaN, so equal infinities match; opposite ones do not.
        TPairingCase{"EqualInfinities",
                     {Triangle({kInf, 0, 0}, {kInf, 1, 0}, {0, 0, 0})},
                     {Triangle({kInf, 1, 0}, {kInf, 0, 0}, {5, 5, 5})},
                     1},
        TPairingCase{"OppositeInfinities",
                     {Triangle({kInf, 0, 0}, {kInf, 1, 0}, {0, 0, 0})},
                     {Triangle({-kInf, 1, 0}, {-kInf, 0, 0}, {5, 5, 5})},
                     0},
        TPairingCase{"HugeCoordinates",
                     {Triangle({1e12, 0, 0}, {1e12, 1, 0}, {0, 0, 0})},
                     {Triangle({1e12, 1, 0.0005}, {1e12 + 0.0005, 0, 0}, {5, 5, 5})},
                     1},
        TPairingCase{"BeyondAnyIntegerCellIndex",
                     {Triangle({1e300, 0, 0}, {1e300, 1, 0}, {0, 0, 0})},
                     {Triangle({1e300, 1, 0}, {1e300, 0, 0}, {5, 5, 5})},
                     1},
        TPairingCase{"NoBackPolygons", {kRake}, {}, 0},
        TPairingCase{"NoFrontPolygons", {}, {kFlank}, 0}),
    [](const testing::TestParamInfo<TPairingCase>& info) { return info.param.Name; });

TEST(PairingOrderTest, OneSegmentWhateverTheVertexOrder) {
    // Two triangles sharing the edge P-Q, each in all six vertex orders.
    const TVector3 p{0, 1, 0};
    const TVector3 q{0, 1, 1};
    const std::array<TVector3, 3> front{p, q, {1, 1, 0.5}};
    const std::array<TVector3, 3> back{q, p, {-1, 1, 0.5}};
    constexpr std::array<std::array<int, 3>, 6> kOrders{
        {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
    for (const auto& fo : kOrders) {
        for (const auto& bo : kOrders) {
            const TSurface f{Triangle(front[fo[0]], front[fo[1]], front[fo[2]])};
            const TSurface b{Triangle(back[bo[0]], back[bo[1]], back[bo[2]])};
            TCutEdgeData segments;
            CollectCutEdgeSegments(f, b, segments);
            ASSERT_EQ(segments.size(), 1u);
            // Both ends have the polar angle 90: Point1 is the one that comes later in
            // the front triangle.
            const auto position = [&](int v) { return std::find(fo.begin(), fo.end(), v); };
            EXPECT_EQ(segments[0].Point1, position(1) > position(0) ? q : p)
                << fo[0] << fo[1] << fo[2] << " / " << bo[0] << bo[1] << bo[2];
        }
    }
}

// ---------------------------------------------------------------------------------------
// Generated surfaces, proved against the literal search

struct TSurfacePlan {
    const char* Name;
    std::uint32_t Seed;
    int Nx;
    int Ny;
    double Step;  // grid spacing of the vertices
    double X0;
    double Y0;
    bool Wild;  // also NaN, infinite and huge coordinates
};

struct TSurfacePair {
    TSurface Front;
    TSurface Back;
};

// A height field over an Nx x Ny grid, each quad split along a random diagonal, each
// triangle given to the front list, the back list, both or neither, with its vertices in
// a random order. A few triangles are spoiled: a vertex moved by about the tolerance (so
// shared vertices no longer agree exactly), collapsed onto another vertex, duplicated,
// or given a coordinate that is not finite or far off.
TSurfacePair Generate(const TSurfacePlan& plan) {
    std::mt19937 random(plan.Seed);
    const auto chance = [&](unsigned percent) { return random() % 100 < percent; };
    std::vector<TVector3> grid;
    for (int i = 0; i < plan.Nx; ++i) {
        for (int j = 0; j < plan.Ny; ++j) {
            const double z = static_cast<int>(random() % 41) * 0.004 - 0.08;
            grid.push_back({plan.X0 + i * plan.Step, plan.Y0 + j * plan.Step, z});
        }
    }
    const auto at = [&](int i, int j) { return grid[static_cast<std::size_t>(i * plan.Ny + j)]; };
    constexpr std::array<double, 6> kNudges{0.0009, -0.0009, 0.001, -0.001, 0.0005, -0.0004};
    constexpr std::array<double, 5> kWild{kNaN, kInf, -kInf, 1e12, -1e300};

    TSurfacePair out;
    const auto emit = [&](std::array<TVector3, 3> v) {
        if (chance(4)) {
            TVector3& p = v[random() % 3];
            const double d = kNudges[random() % kNudges.size()];
            const unsigned axis = random() % 3;
            (axis == 0 ? p.x : (axis == 1 ? p.y : p.z)) += d;
        }
        if (chance(8)) {
            // The whole triangle moved: its edges now pair with the neighbours only
            // through vertices that lie just across a cell boundary from theirs.
            const TVector3 d{kNudges[random() % kNudges.size()], kNudges[random() % kNudges.size()],
                             kNudges[random() % kNudges.size()]};
            for (TVector3& p : v) {
                p = {p.x + d.x, p.y + d.y, p.z + d.z};
            }
        }
        if (chance(3)) {
            v[2] = v[1];
            v[2].y += (random() % 2) * 0.0006;
        }
        if (plan.Wild && chance(3)) {
            TVector3& p = v[random() % 3];
            const double w = kWild[random() % kWild.size()];
            (random() % 2 == 0 ? p.x : p.z) = w;
        }
        const unsigned rotate = random() % 3;
        std::rotate(v.begin(), v.begin() + rotate, v.end());
        if (chance(50)) {
            std::swap(v[1], v[2]);
        }
        const TPolygon polygon{v[0], v[1], v[2], {0, 0, 1}};
        const unsigned role = random() % 100;
        const int copies = chance(3) ? 2 : 1;
        for (int k = 0; k < copies; ++k) {
            if (role < 40 || (role >= 80 && role < 85)) {
                out.Front.push_back(polygon);
            }
            if (role >= 40 && role < 85) {
                out.Back.push_back(polygon);
            }
        }
    };
    for (int i = 0; i + 1 < plan.Nx; ++i) {
        for (int j = 0; j + 1 < plan.Ny; ++j) {
            if (chance(50)) {
                emit({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
                emit({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
            } else {
                emit({at(i, j), at(i + 1, j), at(i, j + 1)});
                emit({at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
            }
        }
    }
    return out;
}

class GeneratedSurfaceTest : public testing::TestWithParam<TSurfacePlan> {};

TEST_P(GeneratedSurfaceTest, SameSegmentsInTheSameOrderAsTheLiteralSearch) {
    const TSurfacePair surfaces = Generate(GetParam());
    TCutEdgeData fast;
    TCutEdgeData reference;
    CollectCutEdgeSegments(surfaces.Front, surfaces.Back, fast);
    test::ReferenceCollectSegments(surfaces.Front, surfaces.Back, reference);
    ASSERT_GT(reference.size(), 50u);  // the generator really produced a cutting edge
    ASSERT_TRUE(SameSegments(fast, reference));

    OrderByPolar(fast);
    test::ReferenceOrderByPolar(reference);
    EXPECT_TRUE(SameSegments(fast, reference));
}

const TSurfacePlan kSurfacePlans[] = {
    // Every grid coordinate a multiple of 0.5, so on the boundary of any cell width
    // that divides it, negative ones included; the rows y = 0 and x = y give many
    // equal polar angles.
    TSurfacePlan{"OnCellBoundaries", 1, 24, 24, 0.5, -6.0, -6.0, false},
    TSurfacePlan{"AcrossNegativeXAxis", 2, 20, 12, 0.25, -4.0, -1.5, false},
    TSurfacePlan{"NegativeMultiplesOfTheCell", 6, 20, 20, 0.004, -0.2, -0.2, false},
    // Neighbouring vertices closer than a cell, and about the tolerance apart.
    TSurfacePlan{"FinerThanACell", 3, 30, 30, 0.0015, -0.02, -0.02, false},
    TSurfacePlan{"SpacedByTheTolerance", 4, 30, 30, 0.001, -0.013, 0.002, false},
    TSurfacePlan{"FarFromTheOrigin", 7, 16, 16, 0.25, 1e6, -1e6, false},
    // Straddles the coordinate beyond which polygons are kept off the grid.
    TSurfacePlan{"AtTheGridLimit", 8, 14, 14, 0.5, 4398046508.0, 0.0, false},
    TSurfacePlan{"NotFiniteAndHugeCoordinates", 5, 20, 20, 0.5, -5.0, -5.0, true},
    TSurfacePlan{"FineAndNotFinite", 9, 24, 24, 0.001, -0.01, -0.01, true}};

const auto kPlanName = [](const testing::TestParamInfo<TSurfacePlan>& info) {
    return std::string(info.param.Name);
};

INSTANTIATE_TEST_SUITE_P(Surfaces, GeneratedSurfaceTest, testing::ValuesIn(kSurfacePlans),
                         kPlanName);

// The limits are exact: at the counts the search reports it runs in full, one below
// either of them it refuses and leaves the output as it was. The count really bounds the
// work's result: at most 4/3 of a segment per candidate pair.
class SearchLimitTest : public testing::TestWithParam<TSurfacePlan> {};

TEST_P(SearchLimitTest, RefusesJustBeyondEitherLimitAndAppendsNothing) {
    const TSurfacePair surfaces = Generate(GetParam());
    TCutEdgeData unlimited;
    const TCutEdgeSearchSize size =
        CollectCutEdgeSegments(surfaces.Front, surfaces.Back, unlimited);
    ASSERT_FALSE(size.Refused);
    ASSERT_EQ(size.Segments, unlimited.size());
    EXPECT_LE(3 * size.Segments, 4 * size.CandidatePairs);

    TCutEdgeData atLimits;
    const TCutEdgeSearchSize atSize =
        CollectCutEdgeSegments(surfaces.Front, surfaces.Back, atLimits, NullProgress(),
                               {size.CandidatePairs, size.Segments});
    EXPECT_FALSE(atSize.Refused);
    EXPECT_TRUE(SameSegments(atLimits, unlimited));

    const TCutEdgeData kept(2);
    for (const TCutEdgeLimits limits : {TCutEdgeLimits{size.CandidatePairs - 1, kUnlimited},
                                        TCutEdgeLimits{kUnlimited, size.Segments - 1}}) {
        TCutEdgeData segments = kept;
        const TCutEdgeSearchSize refused =
            CollectCutEdgeSegments(surfaces.Front, surfaces.Back, segments, NullProgress(), limits);
        EXPECT_TRUE(refused.Refused);
        EXPECT_EQ(refused.CandidatePairs, size.CandidatePairs);
        EXPECT_TRUE(SameSegments(segments, kept));
    }
}

INSTANTIATE_TEST_SUITE_P(Surfaces, SearchLimitTest, testing::ValuesIn(kSurfacePlans), kPlanName);

// ---------------------------------------------------------------------------------------
// Ordering

TCutEdgeData WithPolars(const std::vector<double>& polars) {
    TCutEdgeData segments(polars.size());
    for (std::size_t i = 0; i < polars.size(); ++i) {
        segments[i].Polar = polars[i];
        segments[i].Number = static_cast<std::int32_t>(i);  // remembers where it came from
    }
    return segments;
}

std::vector<std::int32_t> Origins(const TCutEdgeData& segments) {
    std::vector<std::int32_t> origins;
    for (const TSegment& s : segments) {
        origins.push_back(s.Number);
    }
    return origins;
}

TEST(OrderByPolarTest, NotANumberStaysInPlaceAndSplitsTheSort) {
    // The runs on either side of a NaN are sorted on their own; equal values, -0 and +0
    // among them, keep their order.
    TCutEdgeData segments = WithPolars({3, kNaN, 2, 0.0, 1, -0.0, kNaN, 0, 2});
    TCutEdgeData reference = segments;
    OrderByPolar(segments);
    test::ReferenceOrderByPolar(reference);
    EXPECT_EQ(Origins(segments), (std::vector<std::int32_t>{0, 1, 3, 5, 4, 2, 6, 7, 8}));
    EXPECT_EQ(Origins(reference), Origins(segments));
}

TEST(OrderByPolarTest, EqualsTheExchangeSortOnRandomValues) {
    // Few distinct values, so ties are frequent; from no NaN at all to many.
    constexpr std::array<double, 7> kValues{-180, -0.0, 0.0, 10, 90, 180, 10};
    std::mt19937 random(11);
    for (std::size_t length : {0u, 1u, 2u, 3u, 17u, 64u, 300u}) {
        for (unsigned round = 0; round < 20; ++round) {
            const unsigned nanPercent = round % 5 * 10;
            std::vector<double> polars;
            for (std::size_t i = 0; i < length; ++i) {
                polars.push_back(random() % 100 < nanPercent ? kNaN
                                                             : kValues[random() % kValues.size()]);
            }
            TCutEdgeData fast = WithPolars(polars);
            TCutEdgeData reference = fast;
            OrderByPolar(fast);
            test::ReferenceOrderByPolar(reference);
            ASSERT_TRUE(SameSegments(fast, reference)) << "length " << length;
        }
    }
}

// ---------------------------------------------------------------------------------------
// FindCutEdge on a model

TModel SortedModel(char separator, TSurface front, TSurface back) {
    TModel model(separator);
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SurfaceSorted = true;
    model.SurfaceData.FrontCount = static_cast<std::int32_t>(front.size());
    model.SurfaceData.BackCount = static_cast<std::int32_t>(back.size());
    model.SurfaceData.FrontPolygons = std::move(front);
    model.SurfaceData.BackPolygons = std::move(back);
    return model;
}

// A rake triangle fan around the origin and a flank strip below its rim: the rim gives
// one segment per fan triangle, found in fan order but ordered by polar angle. The radius
// grows with the count so that rim points stay well beyond the tolerance apart.
TSurfacePair Fan(int count) {
    TSurfacePair out;
    std::vector<TVector3> rim;
    const double radius = std::max(2.0, count * 0.002);
    for (int k = 0; k < count; ++k) {
        // Start at 100 degrees so that detection order and polar order differ.
        const double a = (100.0 + 360.0 * k / count) * std::numbers::pi / 180.0;
        rim.push_back({radius * std::cos(a), radius * std::sin(a), 0});
    }
    for (int k = 0; k < count; ++k) {
        const TVector3 p = rim[static_cast<std::size_t>(k)];
        const TVector3 q = rim[static_cast<std::size_t>((k + 1) % count)];
        out.Front.push_back(Triangle({0, 0, 0.5}, p, q));
        out.Back.push_back(Triangle(q, p, {p.x, p.y, -1}));
    }
    return out;
}

class FindCutEdgeTest : public testing::TestWithParam<char> {};

TEST_P(FindCutEdgeTest, NumbersTheOrderedSegmentsAndFillsTheFirstTwoColumns) {
    const char separator = GetParam();
    TSurfacePair fan = Fan(12);
    TModel model = SortedModel(separator, fan.Front, fan.Back);
    ASSERT_TRUE(model.FindCutEdge());

    TCutEdgeData expected;
    test::ReferenceCollectSegments(fan.Front, fan.Back, expected);
    test::ReferenceOrderByPolar(expected);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i].Number = static_cast<std::int32_t>(i + 1);
    }
    EXPECT_TRUE(SameSegments(model.CutEdge, expected));
    EXPECT_TRUE(model.CutEdgeExist);
    EXPECT_EQ(model.SegmentCount, 12);
    EXPECT_FALSE(model.SurfaceData.Modified);

    ASSERT_EQ(model.Columns[1].size(), 13u);
    ASSERT_EQ(model.Columns[2].size(), 13u);
    EXPECT_EQ(model.Columns[1][0], "№");
    EXPECT_EQ(model.Columns[1][12], "12");
    EXPECT_EQ(model.Columns[2][0], "");
    // Chords of 30 degrees from 100 degrees on: the lowest midpoint lies at -155.
    EXPECT_EQ(model.Columns[2][1], std::string("-155") + separator + "0000");
    for (std::size_t i = 1; i < model.CutEdge.size(); ++i) {
        EXPECT_LE(model.CutEdge[i - 1].Polar, model.CutEdge[i].Polar);
    }
}

INSTANTIATE_TEST_SUITE_P(Separators, FindCutEdgeTest, testing::Values(',', '.'),
                         [](const testing::TestParamInfo<char>& info) {
                             return info.param == ',' ? std::string("Comma")
                                                      : std::string("Period");
                         });

TSurface Scaled(TSurface polygons, double factor) {
    for (TPolygon& p : polygons) {
        for (TVector3* v : {&p.Vert1, &p.Vert2, &p.Vert3}) {
            *v = {v->x * factor, v->y * factor, v->z * factor};
        }
    }
    return polygons;
}

const char kNoIntersectionsText[] = "Нет пересечений передней и задней поверхностей";
const char kNoIntersectionsHint[] =
    "). Проверьте пределы сортировки, ось инструмента (Z) и единицы модели.";

TEST(FindCutEdgeOutcomeTest, NoSharedEdgeOrARefusalLeavesTheModelUnchanged) {
    struct TCase {
        const char* Name;
        TSurface Front;
        TSurface Back;
        std::vector<std::string> Reason;  // the whole reason, or parts of it
    };
    // A fan of 1500 rake and 1500 flank triangles shrunk into a box 6e-5 wide: every
    // vertex lies within the tolerance of every other.
    const TSurfacePair fan = Fan(1500);
    const TSurfacePair shrunk{Scaled(fan.Front, 1e-5), Scaled(fan.Back, 1e-5)};
    const std::vector<TCase> cases{
        {"NoFrontPolygon",
         {},
         {kFlank},
         {kNoIntersectionsText, " (передних граней: 0, задних: 1, прочих: 0",
          kNoIntersectionsHint}},
        {"NoBackPolygon",
         TSurface(1200, kRake),
         {},
         {kNoIntersectionsText, " (передних граней: 1 200, задних: 0, прочих: 0",
          kNoIntersectionsHint}},
        {"OnlyAVertexShared",
         {kRake},
         {Triangle({0, 1, 0}, {5, 5, 5}, {6, 5, 5})},
         {kNoIntersectionsText, " (передних граней: 1, задних: 1, прочих: 0",
          kNoIntersectionsHint}},
        {"ShrunkBelowTheTolerance",
         shrunk.Front,
         shrunk.Back,
         {"Режущая кромка не определяется: 20 250 000 пар вершин-кандидатов на 3 000 передних и "
          "задних граней (1 500 передних, 1 500 задних), допустимо не более 768 000.",
          "не в миллиметрах", "диагональ габарита поверхностей 8,62e-05",
          "ближе 0,001 по каждой координате"}},
        // The same face stored 20 times on each side: few candidates, but every copy
        // shares all three edges with every other.
        {"FaceStoredManyTimes",
         TSurface(20, kRake),
         TSurface(20, kRake),
         {"Режущая кромка не определяется: более 640 отрезков на 40 передних и задних граней "
          "(20 передних, 20 задних). Вероятно, грани модели многократно повторяются"}},
    };
    for (const TCase& c : cases) {
        TModel model = SortedModel(',', c.Front, c.Back);
        model.Columns[1] = {"kept"};
        model.Columns[2] = {"kept too"};
        TRecordingProgress progress;
        const TResult result = model.FindCutEdge(progress);
        EXPECT_FALSE(result) << c.Name;
        if (c.Reason[0] == kNoIntersectionsText) {
            // The first sentence as it always was, the counts and the hint after it.
            EXPECT_EQ(result.Reason(), c.Reason[0] + c.Reason[1] + c.Reason[2]) << c.Name;
        }
        for (const std::string& part : c.Reason) {
            EXPECT_NE(result.Reason().find(part), std::string::npos)
                << c.Name << ": " << result.Reason();
        }
        EXPECT_FALSE(model.CutEdgeExist) << c.Name;
        EXPECT_EQ(model.SegmentCount, 0) << c.Name;
        EXPECT_TRUE(model.CutEdge.empty()) << c.Name;
        EXPECT_EQ(model.Columns[1], TStringList{"kept"}) << c.Name;
        EXPECT_EQ(model.Columns[2], TStringList{"kept too"}) << c.Name;
        EXPECT_FALSE(model.SurfaceData.Modified) << c.Name;
        EXPECT_EQ(progress.Open, 0) << c.Name;
        for (const auto& start : progress.Starts) {
            EXPECT_GE(start.Maximum, 0) << c.Name;
        }
    }
}

// The sample tool, as it is and a thousand times larger, far inside both limits: the
// same segments as the literal search.
TEST(FindCutEdgeOutcomeTest, TheSampleToolIsNotRefusedAtItsScaleNorScaledUp) {
    const samples::TSampleToolLayout layout = samples::LayoutForFacets(4000);
    for (const double factor : {1.0, 1000.0}) {
        TModel model(',');
        model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
        model.SurfaceData.Polygons = Scaled(samples::GenerateSampleTool(layout), factor);
        model.SurfaceData.PolygonCount =
            static_cast<std::int32_t>(model.SurfaceData.Polygons.size());
        model.SurfaceData.SurfaceExist = true;
        model.SurfaceData.SortSurfaces();
        const TResult result = model.FindCutEdge();
        ASSERT_TRUE(result) << factor << ": " << result.Reason();
        EXPECT_EQ(model.SegmentCount, samples::CutEdgeSegmentCount(layout)) << factor;

        TCutEdgeData expected;
        test::ReferenceCollectSegments(model.SurfaceData.FrontPolygons,
                                       model.SurfaceData.BackPolygons, expected);
        test::ReferenceOrderByPolar(expected);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            expected[i].Number = static_cast<std::int32_t>(i + 1);
        }
        EXPECT_TRUE(SameSegments(model.CutEdge, expected)) << factor;
    }
}

TEST(FindCutEdgeOutcomeTest, ASingleSegmentIsACompleteCuttingEdge) {
    TModel model = SortedModel('.', {kRake}, {kFlank});
    TRecordingProgress progress;
    ASSERT_TRUE(model.FindCutEdge(progress));
    ASSERT_EQ(model.CutEdge.size(), 1u);
    EXPECT_EQ(model.SegmentCount, 1);
    EXPECT_EQ(model.CutEdge[0].Number, 1);
    // Both ends at 90 degrees: Point1 is the second front vertex handed over.
    EXPECT_EQ(model.CutEdge[0].Point1, kRake.Vert2);
    EXPECT_EQ(model.Columns[1], (TStringList{"№", "1"}));
    EXPECT_EQ(model.Columns[2], (TStringList{"", "90.0000"}));
    EXPECT_EQ(progress.Open, 0);
    ASSERT_EQ(progress.Starts.size(), 2u);
    EXPECT_EQ(progress.Starts[0].Text, "Определение РК >>");
    EXPECT_EQ(progress.Starts[0].Maximum, 0);
    EXPECT_EQ(progress.Starts[1].Text, "Сортировка РК >>");
    EXPECT_EQ(progress.Starts[1].Maximum, 0);
}

TEST(FindCutEdgeOutcomeTest, ProgressIsSteppedInBatches) {
    // More front polygons than a few batches (most of them far from the flank):
    // stepping per polygon would call Step tens of thousands of times.
    TSurfacePair fan = Fan(12);
    const TPolygon far = Triangle({1000, 1000, 1000}, {1001, 1000, 1000}, {1000, 1001, 1000});
    fan.Front.insert(fan.Front.end(), 3 * kProgressBatch, far);
    const int frontCount = static_cast<int>(fan.Front.size());
    TModel model = SortedModel(',', fan.Front, fan.Back);
    TRecordingProgress progress;
    ASSERT_TRUE(model.FindCutEdge(progress));
    EXPECT_EQ(model.SegmentCount, 12);
    ASSERT_EQ(progress.Starts.size(), 2u);
    EXPECT_EQ(progress.Starts[0].Maximum, frontCount - 1);
    EXPECT_EQ(progress.Starts[1].Maximum, 10);
    EXPECT_LE(progress.StepCalls, 8);
    EXPECT_EQ(progress.Open, 0);
}

// ---------------------------------------------------------------------------------------
// Direction of a segment along the edge

TPolygon WithNormal(TVector3 a, TVector3 b, TVector3 c, TVector3 normal) {
    return {a, b, c, normal};
}

// The ends the polar rule alone chooses: the same segment with normals that give no
// direction.
TSegment PolarChoice(const TSegment& s) {
    TPolygon front = s.Front;
    TPolygon back = s.Back;
    front.Normal = {};
    back.Normal = {};
    return MakeSegment(s.Point1, s.Point2, front, back);
}

// A wedge whose straight edge runs along the X axis through the origin, like the side
// edge of a lathe tool seen from the axis: both ends of a segment have the same polar
// angle, so the polar rule takes whichever end the front triangle happens to list second,
// and the triangles list their vertices in every rotation, as exporters do.
struct TRadialWedge {
    TSurface Front;
    TSurface Back;
};

TRadialWedge RadialWedge() {
    constexpr double kDegree = std::numbers::pi / 180.0;
    const double rake = 10.0 * kDegree;
    const double clearance = 8.0 * kDegree;
    const TVector3 frontNormal{0, -std::sin(rake), std::cos(rake)};
    const TVector3 backNormal{0, std::cos(clearance), -std::sin(clearance)};
    TRadialWedge out;
    for (int i = 0; i < 8; ++i) {
        const TVector3 p{-4.0 + i, 0, 0};
        const TVector3 q{-3.0 + i, 0, 0};
        const double middle = -3.5 + i;
        // The rake face falls away towards -Y at the rake angle, the flank below the edge
        // at the clearance angle.
        std::array<TVector3, 3> f{p, q, TVector3{middle, -2, -2 * std::tan(rake)}};
        std::array<TVector3, 3> b{q, p, TVector3{middle, -2 * std::tan(clearance), -2}};
        std::rotate(f.begin(), f.begin() + i % 3, f.end());
        std::rotate(b.begin(), b.begin() + (i / 3) % 3, b.end());
        out.Front.push_back(WithNormal(f[0], f[1], f[2], frontNormal));
        out.Back.push_back(WithNormal(b[0], b[1], b[2], backNormal));
    }
    return out;
}

TEST(SegmentDirectionTest, ARadialEdgeRunsOneWayAndGivesOneRakeAndClearance) {
    const TRadialWedge wedge = RadialWedge();
    TModel model = SortedModel(',', wedge.Front, wedge.Back);
    ASSERT_TRUE(model.FindCutEdge());
    ASSERT_EQ(model.CutEdge.size(), 8u);
    // The fixture shows the fault: the polar rule alone runs some segments either way.
    int polarAlongMinusX = 0;
    for (const TSegment& s : model.CutEdge) {
        polarAlongMinusX += PolarChoice(s).Direct.x < 0 ? 1 : 0;
    }
    ASSERT_GT(polarAlongMinusX, 0);
    ASSERT_LT(polarAlongMinusX, 8);

    // front x back normal points along -X: every segment runs that way, on both sides of
    // the origin, and every one measures the same angles.
    model.ComputeAngles(kISK);
    const TSegment& first = model.CutEdge.front();
    EXPECT_NEAR(first.ISK.G, 10.0, 1e-9);
    EXPECT_NEAR(first.ISK.A, 8.0, 1e-9);
    for (const TSegment& s : model.CutEdge) {
        SCOPED_TRACE(s.Number);
        EXPECT_EQ(s.Direct, (TVector3{-1, 0, 0}));
        EXPECT_EQ(s.Point1.x, s.Point2.x + 1);
        EXPECT_NEAR(s.ISK.G, first.ISK.G, 1e-9);
        EXPECT_NEAR(s.ISK.A, first.ISK.A, 1e-9);
        EXPECT_NEAR(s.ISK.L, first.ISK.L, 1e-9);
    }
}

struct TDirectionCase {
    const char* Name;
    TVector3 A;
    TVector3 B;
    TVector3 FrontNormal;
    TVector3 BackNormal;
    TVector3 Point1;
};

class SegmentDirectionRuleTest : public testing::TestWithParam<TDirectionCase> {};

TEST_P(SegmentDirectionRuleTest, RunsAlongFrontCrossBackNormalElseByPolarAngle) {
    const TDirectionCase& c = GetParam();
    const TPolygon front = WithNormal(c.A, c.B, {5, 5, 5}, c.FrontNormal);
    const TPolygon back = WithNormal(c.B, c.A, {6, 6, 6}, c.BackNormal);
    const TSegment s = MakeSegment(c.A, c.B, front, back);
    EXPECT_EQ(s.Point1, c.Point1);
    EXPECT_EQ(s.Point2, SameBits(c.Point1, c.A) ? c.B : c.A);
    EXPECT_EQ(s.Direct, geometry::VectorFromTo(s.Point1, s.Point2));
    // The midpoint's polar angle, which orders the segments, whichever end comes first.
    EXPECT_EQ(s.Polar, PolarChoice(s).Polar);
    EXPECT_TRUE(SameBits(s.Front, front));
    EXPECT_TRUE(SameBits(s.Back, back));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SegmentDirectionRuleTest,
    testing::Values(
        // Both ends at polar angle 0: the polar rule takes the second end, B.
        TDirectionCase{"RadialAlongTheNormalsKeepsThePolarChoice",
                       {1, 0, 0},
                       {2, 0, 0},
                       {0, 0, 1},
                       {0, 1, 0},
                       {2, 0, 0}},
        TDirectionCase{
            "RadialAgainstTheNormalsSwaps", {2, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, {2, 0, 0}},
        TDirectionCase{"ParallelNormalsKeepThePolarChoice",
                       {2, 0, 0},
                       {1, 0, 0},
                       {0, 0, 1},
                       {0, 0, 1},
                       {1, 0, 0}},
        TDirectionCase{
            "ZeroNormalKeepsThePolarChoice", {2, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}, {1, 0, 0}},
        TDirectionCase{"NotANumberNormalKeepsThePolarChoice",
                       {2, 0, 0},
                       {1, 0, 0},
                       {kNaN, 0, 1},
                       {0, 1, 0},
                       {1, 0, 0}},
        // A peripheral edge, rake up and flank outwards: both rules run counter-clockwise.
        TDirectionCase{"PeripheralEdgeBothRulesAgree",
                       {10, 5, 0},
                       {10, 0, 0},
                       {0, 0, 1},
                       {1, 0, 0},
                       {10, 0, 0}},
        // The flank facing the axis turns the edge's own direction round.
        TDirectionCase{"PeripheralEdgeFlankFacingTheAxis",
                       {10, 5, 0},
                       {10, 0, 0},
                       {0, 0, 1},
                       {-1, 0, 0},
                       {10, 5, 0}}),
    [](const testing::TestParamInfo<TDirectionCase>& info) { return info.param.Name; });

// The bundled sample: every segment of its cutting edge runs the way the polar rule
// alone runs it, so its project and the golden files come out as before.
TEST(SegmentDirectionTest, OnTheBundledSampleBothRulesAgree) {
    TModel model(',');
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    ASSERT_TRUE(model.SurfaceData.LoadSTL(test::FixturePath("../../samples/cutter.stl")));
    model.SurfaceData.SortSurfaces();
    ASSERT_TRUE(model.FindCutEdge());
    ASSERT_EQ(model.SegmentCount, 168);
    for (const TSegment& s : model.CutEdge) {
        const TSegment polar = PolarChoice(s);
        EXPECT_TRUE(SameBits(s.Point1, polar.Point1) && SameBits(s.Direct, polar.Direct))
            << "segment " << s.Number;
    }
}

// ---------------------------------------------------------------------------------------
// The point tolerance and the smallest normal angle

// The generated surfaces with normals drawn from a few directions, some of them close to
// one another, so that a smallest angle keeps some pairs and drops others.
TSurfacePair WithVariedNormals(TSurfacePair surfaces) {
    constexpr std::array<TVector3, 5> kNormals{
        {{0, 0, 1}, {0, 0.2588190451, 0.9659258263}, {1, 0, 0}, {0, 0, 0}, {0.6, 0, -0.8}}};
    std::size_t k = 0;
    for (TSurface* list : {&surfaces.Front, &surfaces.Back}) {
        for (TPolygon& p : *list) {
            p.Normal = kNormals[(k++ * 7 + 3) % kNormals.size()];
        }
    }
    return surfaces;
}

struct TSearchCase {
    const char* Name;
    double PointTolerance;
    double MinNormalAngle;
};

class SearchSettingsTest : public testing::TestWithParam<TSearchCase> {};

TEST_P(SearchSettingsTest, SameSegmentsAsTheLiteralSearchWithThoseSettings) {
    const TSearchCase& c = GetParam();
    for (const TSurfacePlan& plan : kSurfacePlans) {
        SCOPED_TRACE(plan.Name);
        const TSurfacePair surfaces = WithVariedNormals(Generate(plan));
        TCutEdgeData fast;
        TCutEdgeData reference;
        CollectCutEdgeSegments(surfaces.Front, surfaces.Back, fast, NullProgress(), {},
                               {c.PointTolerance, c.MinNormalAngle});
        test::ReferenceCollectSegments(surfaces.Front, surfaces.Back, reference, c.PointTolerance,
                                       c.MinNormalAngle);
        ASSERT_TRUE(SameSegments(fast, reference));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SearchSettingsTest,
    testing::Values(TSearchCase{"Defaults", kDefaultPointTolerance, 0.0},
                    // Wider than the spoiling nudges of the generator, and narrower.
                    TSearchCase{"WiderTolerance", 0.0011, 0.0},
                    TSearchCase{"NarrowerTolerance", 0.00045, 0.0},
                    TSearchCase{"CoarseTolerance", 0.004, 0.0},
                    TSearchCase{"SmallestNormalAngle", kDefaultPointTolerance, 20.0},
                    TSearchCase{"BothAndNothingBelowIt", 0.0011, 15.0}),
    [](const testing::TestParamInfo<TSearchCase>& info) { return info.param.Name; });

// In cells nothing depends on the tolerance: the model 1024 times smaller searched with a
// 1024 times smaller tolerance (both exact in binary) finds the same candidates and the
// same segments, scaled. At the default tolerance the small model is refused.
TEST(SearchSettingsTest, ToleranceScaledWithTheModelFindsTheSameEdge) {
    const samples::TSampleToolLayout layout = samples::LayoutForFacets(4000);
    TModel model(',');
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    model.SurfaceData.Polygons = samples::GenerateSampleTool(layout);
    model.SurfaceData.SortSurfaces();
    const TSurface& front = model.SurfaceData.FrontPolygons;
    const TSurface& back = model.SurfaceData.BackPolygons;
    const TCutEdgeLimits limits = CutEdgeLimits(front.size() + back.size());
    TCutEdgeData original;
    const TCutEdgeSearchSize size =
        CollectCutEdgeSegments(front, back, original, NullProgress(), limits);
    ASSERT_FALSE(size.Refused);

    constexpr double kFactor = 1.0 / 1024;
    const TSurface smallFront = Scaled(front, kFactor);
    const TSurface smallBack = Scaled(back, kFactor);
    TCutEdgeData scaled;
    const TCutEdgeSearchSize scaledSize = CollectCutEdgeSegments(
        smallFront, smallBack, scaled, NullProgress(), limits, {kDefaultPointTolerance * kFactor});
    ASSERT_FALSE(scaledSize.Refused);
    EXPECT_EQ(scaledSize.CandidatePairs, size.CandidatePairs);
    ASSERT_EQ(scaled.size(), original.size());
    for (std::size_t i = 0; i < scaled.size(); ++i) {
        const TVector3& p = original[i].Point1;
        EXPECT_EQ(scaled[i].Point1, (TVector3{p.x * kFactor, p.y * kFactor, p.z * kFactor})) << i;
    }

    TCutEdgeData refused;
    EXPECT_TRUE(
        CollectCutEdgeSegments(smallFront, smallBack, refused, NullProgress(), limits).Refused);
}

// A torus about Z, every facet's normal the unit normal of its vertices. It is smooth
// everywhere, but its normals cross the sorting limits, and each crossing is a ring of
// front facets next to a ring of back facets.
TSurface Torus(int around, int tube) {
    constexpr double kRing = 20.0;
    constexpr double kTube = 5.0;
    const auto point = [&](int i, int j) {
        const double u = 2.0 * std::numbers::pi * i / around;
        const double v = 2.0 * std::numbers::pi * (j + 0.3) / tube;
        const double r = kRing + kTube * std::cos(v);
        return TVector3{r * std::cos(u), r * std::sin(u), kTube * std::sin(v)};
    };
    const auto facet = [](TVector3 a, TVector3 b, TVector3 c) {
        const TVector3 n = geometry::Normalize(
            geometry::CrossProduct(geometry::VectorFromTo(a, b), geometry::VectorFromTo(a, c)));
        return TPolygon{a, b, c, n};
    };
    TSurface polygons;
    for (int i = 0; i < around; ++i) {
        for (int j = 0; j < tube; ++j) {
            const TVector3 p = point(i, j);
            const TVector3 q = point(i + 1, j);
            const TVector3 r = point(i + 1, j + 1);
            const TVector3 t = point(i, j + 1);
            polygons.push_back(facet(p, q, r));
            polygons.push_back(facet(p, r, t));
        }
    }
    return polygons;
}

TResult FindOn(TModel& model, const TSurface& polygons, double minNormalAngle) {
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    model.SurfaceData.GeometrySettings.MinNormalAngle = minNormalAngle;
    model.SurfaceData.Polygons = polygons;
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(polygons.size());
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SortSurfaces();
    return model.FindCutEdge();
}

TEST(SmallestNormalAngleTest, DropsTheFalseEdgesOfASmoothSurfaceAndKeepsARealEdge) {
    const TSurface torus = Torus(72, 32);
    TModel falseEdges(',');
    ASSERT_TRUE(FindOn(falseEdges, torus, 0.0));
    EXPECT_GE(falseEdges.SegmentCount, 72);  // the fault: a smooth surface has an "edge"

    TModel smooth(',');
    const TResult none = FindOn(smooth, torus, 20.0);
    ASSERT_FALSE(none);
    EXPECT_TRUE(
        none.Reason().starts_with(std::string(kNoIntersectionsText) + " (передних граней: "))
        << none.Reason();
    EXPECT_NE(none.Reason().find("наименьший угол между нормалями граней кромки (20)"),
              std::string::npos)
        << none.Reason();
    EXPECT_FALSE(smooth.CutEdgeExist);

    // The sample's edges are some 75 degrees sharp: all their segments stay.
    const samples::TSampleToolLayout layout = samples::LayoutForFacets(4000);
    const TSurface tool = samples::GenerateSampleTool(layout);
    TModel every(',');
    TModel sharp(',');
    ASSERT_TRUE(FindOn(every, tool, 0.0));
    ASSERT_TRUE(FindOn(sharp, tool, 20.0));
    EXPECT_EQ(sharp.SegmentCount, samples::CutEdgeSegmentCount(layout));
    EXPECT_TRUE(SameSegments(sharp.CutEdge, every.CutEdge));
}

TEST(FindCutEdgeOutcomeTest, APointToleranceThatIsNoPositiveNumberIsRefused) {
    for (const double tolerance : {0.0, -0.001, kNaN, kInf}) {
        TModel model = SortedModel(',', {kRake}, {kFlank});
        model.SurfaceData.GeometrySettings.PointTolerance = tolerance;
        const TResult result = model.FindCutEdge();
        EXPECT_FALSE(result) << tolerance;
        EXPECT_NE(result.Reason().find("допуск совпадения точек"), std::string::npos)
            << result.Reason();
        EXPECT_FALSE(model.CutEdgeExist);
    }
    // Its default finds the edge; one wider than the gap between two vertices joins them.
    TModel apart = SortedModel(',', {kRake}, {Triangle({0.002, 1, 0}, {0, 1, 1}, {-1, 1, 0.5})});
    EXPECT_FALSE(apart.FindCutEdge());
    apart.SurfaceData.GeometrySettings.PointTolerance = 0.0025;
    EXPECT_TRUE(apart.FindCutEdge());
}

}  // namespace
}  // namespace tessarin::model
