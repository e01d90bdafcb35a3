#include "model/model_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/import_options.h"
#include "model/surface_data.h"
#include "samples/sample_tool.h"
#include "tests/support/stl_text.h"

namespace tessarin::model {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

// A right triangle in the XY plane; its vertex order's normal is +Z.
TPolygon Flat(TVector3 normal, double x = 0.0) {
    return {{x, 0, 0}, {x + 1, 0, 0}, {x, 1, 0}, normal};
}

TModelCheck Check(TSurface& polygons, TImportOptions options = {}) {
    TModelCheck check;
    RepairAndCheck(polygons, options, check);
    return check;
}

struct TNormalCase {
    const char* Name;
    TVector3 Stored;
    bool Repaired;  // replaced by (0, 0, 1)
    bool Opposed;
};

const double kNaN = std::nan("");

const std::vector<TNormalCase> kNormals{
    {"Unit", {0, 0, 1}, false, false},
    {"UnitTilted", {0.6, 0, 0.8}, false, false},
    {"Zero", {0, 0, 0}, true, false},
    {"NaN", {kNaN, 0, 1}, true, false},
    {"Infinite", {0, HUGE_VAL, 0}, true, false},
    {"TimesThree", {0, 0, 3}, true, false},
    {"JustTooLong", {0, 0, 1 + 2e-4}, true, false},
    {"LongWithinTolerance", {0, 0, 1 + 5e-5}, false, false},
    {"Opposed", {0, 0, -1}, false, true},
    {"OpposedBeyond90Degrees", {0.99995, 0, -0.01}, false, true},
    {"At90DegreesNotOpposed", {1, 0, 0}, false, false},
};

class NormalRepairTest : public ::testing::TestWithParam<TNormalCase> {};

TEST_P(NormalRepairTest, BadNormalsComeFromTheVertexOrderOpposedOnesAreOnlyCounted) {
    const TNormalCase& c = GetParam();
    for (const bool repair : {true, false}) {
        SCOPED_TRACE(repair ? "repair" : "no repair");
        TSurface polygons{Flat(c.Stored)};
        TImportOptions options;
        options.RepairNormals = repair;
        const TModelCheck check = Check(polygons, options);
        EXPECT_EQ(check.BadNormals, c.Repaired ? 1 : 0);
        EXPECT_EQ(check.NormalsRepaired, c.Repaired && repair ? 1 : 0);
        EXPECT_EQ(check.OpposedNormals, c.Opposed ? 1 : 0);
        const TVector3 expected = c.Repaired && repair ? TVector3{0, 0, 1} : c.Stored;
        const TVector3& n = polygons[0].Normal;
        EXPECT_TRUE((n == expected) || (std::isnan(n.x) && std::isnan(expected.x)))
            << n.x << " " << n.y << " " << n.z;
    }
}

INSTANTIATE_TEST_SUITE_P(Normals, NormalRepairTest, ::testing::ValuesIn(kNormals),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ModelCheckTest, ZeroAreaFacetsAreCountedAndKeepTheirNormal) {
    TSurface polygons{
        {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0, 0}},        // two equal vertices
        {{0, 0, 0}, {1, 1, 1}, {3, 3, 3}, {0, 0, 2}},        // collinear
        {{0, 0, 0}, {1e-9, 0, 0}, {0, 1e-9, 0}, {0, 0, 1}},  // tiny but not flat
    };
    const TModelCheck check = Check(polygons);
    EXPECT_EQ(check.ZeroAreaFacets, 2);
    EXPECT_EQ(check.BadNormals, 2);
    EXPECT_EQ(check.NormalsRepaired, 0);
    EXPECT_EQ(polygons[0].Normal, (TVector3{0, 0, 0}));
    EXPECT_EQ(polygons[1].Normal, (TVector3{0, 0, 2}));
}

TEST(ModelCheckTest, DuplicatesInAnyVertexOrderAreDroppedKeepingTheFirstAndTheOrder) {
    const TPolygon a = Flat({0, 0, 1}, 0);
    const TPolygon b = Flat({0, 0, 1}, 5);
    const TPolygon c = Flat({0, 0, 1}, 9);
    const TPolygon aCycled{a.Vert2, a.Vert3, a.Vert1, {0, 0, 1}};
    const TPolygon aReversed{a.Vert1, a.Vert3, a.Vert2, {0, 0, -1}};
    // -0 is the same vertex as 0.
    const TPolygon bNegativeZero{{5, -0.0, -0.0}, b.Vert2, b.Vert3, {0, 0, 1}};
    const TSurface read{a, b, aCycled, c, aReversed, bNegativeZero};

    TSurface dropped = read;
    const TModelCheck check = Check(dropped);
    EXPECT_EQ(dropped, (TSurface{a, b, c}));
    EXPECT_EQ(check.DuplicateFacets, 3);
    EXPECT_EQ(check.DuplicatesRemoved, 3);
    EXPECT_EQ(check.OpposedNormals, 0) << "the reversed twin is gone before the count";
    EXPECT_EQ(check.BoundaryEdges, 9);

    TSurface kept = read;
    TImportOptions keep;
    keep.KeepDuplicates = true;
    const TModelCheck keptCheck = Check(kept, keep);
    EXPECT_EQ(kept, read);
    EXPECT_EQ(keptCheck.DuplicateFacets, 3);
    EXPECT_EQ(keptCheck.DuplicatesRemoved, 0);
}

// A bucket of more facets than the short scan takes: 40 facets around one vertex, each
// twice.
TEST(ModelCheckTest, DuplicatesAroundAVertexOfManyFacetsAreFound) {
    TSurface polygons;
    for (int k = 0; k < 40; ++k) {
        polygons.push_back({{0, 0, 0}, {1, double(k), 0}, {1, double(k + 1), 0}, {0, 0, 1}});
    }
    for (int k = 39; k >= 0; --k) {
        polygons.push_back({{1, double(k + 1), 0}, {0, 0, 0}, {1, double(k), 0}, {0, 0, 1}});
    }
    const TSurface first(polygons.begin(), polygons.begin() + 40);
    const TModelCheck check = Check(polygons);
    EXPECT_EQ(check.DuplicatesRemoved, 40);
    EXPECT_EQ(polygons, first);
}

struct TEdgeCase {
    const char* Name;
    TSurface Polygons;
    std::int64_t Boundary;
    std::int64_t NonManifold;
};

std::vector<TEdgeCase> EdgeCases() {
    const TVector3 o{0, 0, 0}, x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, w{0, -1, 0.5};
    const TVector3 n{0, 0, 1};
    return {
        {"OneTriangle", {{o, x, y, n}}, 3, 0},
        {"ClosedTetrahedron", {{o, y, x, n}, {o, x, z, n}, {o, z, y, n}, {x, y, z, n}}, 0, 0},
        {"ThreeFacetsOnOneEdge", {{o, x, y, n}, {o, x, z, n}, {x, o, w, n}}, 6, 1},
        // The same corner written with -0 is the same vertex: the edge is shared.
        {"NegativeZeroVertex", {{o, x, y, n}, {{-0.0, 0, 0}, z, {1, -0.0, 0}, n}}, 4, 0},
        // A vertex that differs in the last bit is another vertex: the edge is open.
        {"NearlyEqualVertex", {{o, x, y, n}, {{std::nextafter(0.0, 1.0), 0, 0}, z, x, n}}, 6, 0},
    };
}

class EdgeCountTest : public ::testing::TestWithParam<TEdgeCase> {};

TEST_P(EdgeCountTest, CountsEdgesOfOneAndOfMoreThanTwoFacets) {
    TSurface polygons = GetParam().Polygons;
    const TModelCheck check = Check(polygons);
    EXPECT_EQ(check.BoundaryEdges, GetParam().Boundary);
    EXPECT_EQ(check.NonManifoldEdges, GetParam().NonManifold);
}

INSTANTIATE_TEST_SUITE_P(Edges, EdgeCountTest, ::testing::ValuesIn(EdgeCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TUnitCase {
    double LargestMm;
    TLengthUnit ImportedWith;
    std::optional<TLengthUnit> Suggested;
};

TEST(SuggestUnitTest, SizesThatLookLikeAnotherUnit) {
    const std::vector<TUnitCase> cases{
        {3.0, TLengthUnit::Millimetre, TLengthUnit::Inch},    // 0.5 x 3 x 0.5 in
        {0.02, TLengthUnit::Millimetre, TLengthUnit::Metre},  // 20 mm written in m
        {0.2, TLengthUnit::Millimetre, TLengthUnit::Metre},   // 5 mm as inch is too small
        {82000.0, TLengthUnit::Millimetre, TLengthUnit::Micrometre},
        {82.0, TLengthUnit::Millimetre, std::nullopt},
        {10.0, TLengthUnit::Millimetre, std::nullopt},
        {1000.0, TLengthUnit::Millimetre, std::nullopt},
        {76.2, TLengthUnit::Inch, std::nullopt},
        // 82 mm read as inches: 2083 mm; the numbers were millimetres.
        {2082.8, TLengthUnit::Inch, TLengthUnit::Millimetre},
        {0.0, TLengthUnit::Millimetre, std::nullopt},
        {1e-9, TLengthUnit::Millimetre, std::nullopt},  // nothing makes it a tool
    };
    for (const TUnitCase& c : cases) {
        EXPECT_EQ(SuggestUnit(c.LargestMm, c.ImportedWith), c.Suggested)
            << c.LargestMm << " mm read as " << LengthUnitKey(c.ImportedWith);
    }
}

// A closed cylinder of radius r and length h along `axis`, the facets of its wall and
// caps with outward normals.
TSurface Cylinder(double r, double h, const TVector3& axis) {
    const TAxisTurn turn = *AxisTurn(axis);
    TSurface z;
    constexpr int kAround = 24;
    auto at = [&](int k, double height) {
        const double a = 2 * std::numbers::pi * k / kAround;
        return TVector3{r * std::cos(a), r * std::sin(a), height};
    };
    for (int k = 0; k < kAround; ++k) {
        const TVector3 b0 = at(k, 0), b1 = at(k + 1, 0), t0 = at(k, h), t1 = at(k + 1, h);
        z.push_back({b0, b1, t1, {}});
        z.push_back({b0, t1, t0, {}});
        z.push_back({{0, 0, h}, t0, t1, {}});
        z.push_back({{0, 0, 0}, b1, b0, {}});
    }
    TSurface turned;
    for (TPolygon p : z) {
        p.Vert1 = turn.ApplyInverse(p.Vert1);
        p.Vert2 = turn.ApplyInverse(p.Vert2);
        p.Vert3 = turn.ApplyInverse(p.Vert3);
        turned.push_back(p);
    }
    return turned;
}

TSurface Octahedron() {
    TSurface polygons;
    for (const double sx : {-1.0, 1.0}) {
        for (const double sy : {-1.0, 1.0}) {
            for (const double sz : {-1.0, 1.0}) {
                const TVector3 x{sx, 0, 0}, y{0, sy, 0}, z{0, 0, sz};
                // Counter-clockwise seen from outside in every octant.
                polygons.push_back(sx * sy * sz > 0 ? TPolygon{x, y, z, {}}
                                                    : TPolygon{x, z, y, {}});
            }
        }
    }
    return polygons;
}

struct TAxisSuggestionCase {
    const char* Name;
    TSurface Polygons;
    TVector3 ImportAxis;
    std::optional<TVector3> Suggested;  // in the file's frame
};

std::vector<TAxisSuggestionCase> AxisSuggestionCases() {
    return {
        {"LongCylinderAlongY", Cylinder(5, 60, {0, 1, 0}), {0, 0, 1}, TVector3{0, 1, 0}},
        {"FlatDiscAlongMinusX", Cylinder(40, 8, {-1, 0, 0}), {0, 0, 1}, TVector3{1, 0, 0}},
        {"CylinderAlongZ", Cylinder(5, 60, {0, 0, 1}), {0, 0, 1}, std::nullopt},
        {"AlongYImportedAlongY", Cylinder(5, 60, {0, 1, 0}), {0, 1, 0}, std::nullopt},
        {"AlongZImportedAlongX", Cylinder(5, 60, {0, 0, 1}), {1, 0, 0}, TVector3{0, 0, 1}},
        {"Oblique", Cylinder(5, 60, {0, 0.6, 0.8}), {0, 0, 1}, TVector3{0, 0.6, 0.8}},
        // 5 degrees off Z is not clearly another axis.
        {"SlightlyTilted",
         Cylinder(5, 60,
                  {0, std::sin(5 * std::numbers::pi / 180), std::cos(5 * std::numbers::pi / 180)}),
         {0, 0, 1},
         std::nullopt},
        // An octahedron's three principal moments are equal: no axis stands apart.
        {"NoAxisStandsOut", Octahedron(), {0, 0, 1}, std::nullopt},
        {"SampleTool", samples::GenerateSampleTool({}), {0, 0, 1}, std::nullopt},
    };
}

class AxisSuggestionTest : public ::testing::TestWithParam<TAxisSuggestionCase> {};

TEST_P(AxisSuggestionTest, SuggestsTheSymmetryAxisWhenClearlyNotTheImportedOne) {
    const TAxisSuggestionCase& c = GetParam();
    TImportOptions options;
    options.Axis = c.ImportAxis;
    TSurFaceData surface;
    TModelCheck check;
    ASSERT_TRUE(
        surface.LoadSTLFromMemory(test::ExactAsciiStl(c.Polygons), "c.stl", options, &check));
    ASSERT_EQ(check.SuggestedAxis.has_value(), c.Suggested.has_value());
    if (c.Suggested) {
        EXPECT_NEAR(check.SuggestedAxis->x, c.Suggested->x, 1e-9);
        EXPECT_NEAR(check.SuggestedAxis->y, c.Suggested->y, 1e-9);
        EXPECT_NEAR(check.SuggestedAxis->z, c.Suggested->z, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Axes, AxisSuggestionTest, ::testing::ValuesIn(AxisSuggestionCases()),
                         [](const auto& info) { return std::string(info.param.Name); });

// The literal reading of the check, by ordered maps of vertex values: what the welding,
// the duplicate search and the edge count must agree with.
struct TReference {
    TSurface Kept;
    TModelCheck Check;
};

using TVertexKey = std::array<double, 3>;

TVector3 Minus(const TVector3& a, const TVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TVector3 Cross(const TVector3& a, const TVector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

TVector3 Scaled(const TVector3& v, double f) {
    return {v.x * f, v.y * f, v.z * f};
}

TVertexKey KeyOf(const TVector3& v) {
    return {v.x + 0.0, v.y + 0.0, v.z + 0.0};  // -0 is the same vertex as 0
}

TReference ReferenceCheck(const TSurface& read, const TImportOptions& options) {
    TReference r;
    std::set<std::array<TVertexKey, 3>> seen;
    for (const TPolygon& p : read) {
        std::array<TVertexKey, 3> corners{KeyOf(p.Vert1), KeyOf(p.Vert2), KeyOf(p.Vert3)};
        std::sort(corners.begin(), corners.end());
        if (!seen.insert(corners).second) {
            ++r.Check.DuplicateFacets;
            if (!options.KeepDuplicates) {
                continue;
            }
        }
        r.Kept.push_back(p);
    }
    if (!options.KeepDuplicates) {
        r.Check.DuplicatesRemoved = r.Check.DuplicateFacets;
    }
    std::map<std::pair<TVertexKey, TVertexKey>, int> edges;
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (TPolygon& p : r.Kept) {
        const std::array<TVertexKey, 3> v{KeyOf(p.Vert1), KeyOf(p.Vert2), KeyOf(p.Vert3)};
        for (std::size_t k = 0; k < 3; ++k) {
            const TVertexKey& a = v[k];
            const TVertexKey& b = v[(k + 1) % 3];
            if (a != b) {
                ++edges[std::minmax(a, b)];
            }
            for (std::size_t i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], v[k][i]);
                high[i] = std::max(high[i], v[k][i]);
            }
        }
        const TVector3 e1 = Minus(p.Vert2, p.Vert1);
        const TVector3 e2 = Minus(p.Vert3, p.Vert1);
        const TVector3 e3 = Minus(p.Vert3, p.Vert2);
        const TVector3 cross = Cross(e1, e2);
        const double crossLength = std::sqrt(Dot(cross, cross));
        const double longest = std::max({Dot(e1, e1), Dot(e2, e2), Dot(e3, e3)});
        const bool zeroArea = !(crossLength > kZeroAreaRatio * longest);
        const bool bad =
            !(std::abs(1.0 - std::sqrt(Dot(p.Normal, p.Normal))) <= kNormalLengthTolerance);
        r.Check.ZeroAreaFacets += zeroArea ? 1 : 0;
        r.Check.BadNormals += bad ? 1 : 0;
        if (bad && options.RepairNormals && !zeroArea) {
            p.Normal = {cross.x / crossLength, cross.y / crossLength, cross.z / crossLength};
            ++r.Check.NormalsRepaired;
        } else if (Dot(p.Normal, cross) < 0.0) {
            ++r.Check.OpposedNormals;
        }
    }
    for (const auto& [edge, facets] : edges) {
        r.Check.BoundaryEdges += facets == 1 ? 1 : 0;
        r.Check.NonManifoldEdges += facets > 2 ? 1 : 0;
    }
    r.Check.LargestExtent =
        r.Kept.empty() ? 0.0 : std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
    return r;
}

bool SameBits(const TSurface& a, const TSurface& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(TPolygon)) == 0);
}

// A random model over a few points (so that facets share edges, three or more at a time,
// and the buckets of one vertex grow past the short scan), or a soup of facets that share
// nothing (so that the welding outgrows its first table). Some facets repeat an earlier
// one in another vertex order, written with -0 for 0 or reversed; normals are right,
// reversed, zero, NaN, too long or off.
TSurface RandomModel(unsigned seed) {
    std::mt19937 random(seed);
    const auto chance = [&](unsigned percent) { return random() % 100 < percent; };
    const bool soup = seed % 10 == 0;
    const std::size_t facets = soup ? 3000 : 1 + random() % 300;
    std::vector<TVector3> points(soup ? 0 : 3 + random() % 30);
    constexpr double kCoordinates[] = {-1.0, -0.0, 0.0, 0.5, 1.0, 2.0, 1e-13};
    for (TVector3& p : points) {
        p = {kCoordinates[random() % 7], kCoordinates[random() % 7], kCoordinates[random() % 7]};
    }
    const auto point = [&] {
        if (soup) {
            return TVector3{(random() % 100000) * 1e-3, (random() % 100000) * 1e-3,
                            (random() % 100000) * 1e-3};
        }
        return points[random() % points.size()];
    };
    TSurface polygons;
    while (polygons.size() < facets) {
        TPolygon p;
        if (!polygons.empty() && chance(15)) {
            p = polygons[random() % polygons.size()];
            if (chance(50)) {
                p = {p.Vert2, p.Vert3, p.Vert1, p.Normal};
            } else {
                p = {p.Vert1, p.Vert3, p.Vert2, Scaled(p.Normal, -1.0)};
            }
            for (double* c : {&p.Vert1.x, &p.Vert2.y, &p.Vert3.z}) {
                if (*c == 0.0 && chance(50)) {
                    *c = -*c;
                }
            }
        } else {
            p = {point(), point(), point(), {}};
            const TVector3 cross = Cross(Minus(p.Vert2, p.Vert1), Minus(p.Vert3, p.Vert1));
            const double length = std::sqrt(Dot(cross, cross));
            const TVector3 unit = length > 0 ? Scaled(cross, 1.0 / length) : TVector3{0, 0, 1};
            switch (random() % 6) {
                case 0:
                    p.Normal = unit;
                    break;
                case 1:
                    p.Normal = Scaled(unit, -1.0);
                    break;
                case 2:
                    p.Normal = {};
                    break;
                case 3:
                    p.Normal = {std::nan(""), 0, 1};
                    break;
                case 4:
                    p.Normal = Scaled(unit, 3.0);
                    break;
                default:
                    p.Normal = {0.6, 0, 0.8};
                    break;
            }
        }
        polygons.push_back(p);
    }
    return polygons;
}

TEST(ModelCheckTest, CountsAndRepairsAsTheLiteralReadingOnRandomModels) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const TSurface read = RandomModel(seed);
        for (const bool keep : {false, true}) {
            for (const bool repair : {true, false}) {
                SCOPED_TRACE("seed " + std::to_string(seed) + (keep ? ", duplicates kept" : "") +
                             (repair ? "" : ", normals kept"));
                TImportOptions options;
                options.KeepDuplicates = keep;
                options.RepairNormals = repair;
                const TReference expected = ReferenceCheck(read, options);
                TSurface polygons = read;
                TModelCheck check = Check(polygons, options);
                EXPECT_TRUE(SameBits(polygons, expected.Kept));
                check.SuggestedAxis.reset();
                check.SuggestedUnit.reset();
                EXPECT_EQ(check, expected.Check);
                if (::testing::Test::HasFailure()) {
                    return;
                }
            }
        }
    }
}

// The axis is taken from the facets kept: a model with repeated facets, dropped, suggests
// exactly what the model without them does; kept, the repeats weigh in like any facet.
TEST(ModelCheckTest, AxisSuggestionIsOfTheFacetsKept) {
    const TSurface once = Cylinder(10, 40, {1, 0.2, 0});
    TSurface twice = once;
    for (std::size_t i = 0; i < once.size(); i += 3) {
        const TPolygon& p = once[i];
        twice.push_back({p.Vert3, p.Vert1, p.Vert2, p.Normal});
    }
    TSurface plain = once;
    const TModelCheck reference = Check(plain);
    ASSERT_TRUE(reference.SuggestedAxis.has_value());
    TSurface dropped = twice;
    const TModelCheck check = Check(dropped);
    EXPECT_EQ(check.DuplicatesRemoved, static_cast<std::int64_t>(twice.size() - once.size()));
    EXPECT_EQ(check.SuggestedAxis, reference.SuggestedAxis);
    EXPECT_EQ(check.LargestExtent, reference.LargestExtent);

    TImportOptions keep;
    keep.KeepDuplicates = true;
    TSurface kept = twice;
    const std::optional<TVector3> axis = SymmetryAxis(twice);
    ASSERT_TRUE(axis.has_value());
    EXPECT_EQ(Check(kept, keep).SuggestedAxis.has_value(), true);
}

TEST(ModelCheckLinesTest, SayWhatWasFoundAndSuggestedInRussian) {
    TModelCheck check;
    check.FacetsRead = 450;
    check.BadNormals = 12;
    check.NormalsRepaired = 12;
    check.OpposedNormals = 3;
    check.DuplicateFacets = 225;
    check.DuplicatesRemoved = 225;
    check.ZeroAreaFacets = 1;
    check.BoundaryEdges = 4;
    check.NonManifoldEdges = 2;
    check.Xmin = -0.25;
    check.Xmax = 0.25;
    check.Zmax = 3;
    check.LargestExtent = 3;
    check.SuggestedUnit = TLengthUnit::Inch;
    check.SuggestedAxis = TVector3{0, 1, 0};
    const std::vector<std::string> lines = ModelCheckLines(check, ',');
    EXPECT_THAT(lines, Contains("Прочитано граней: 450"));
    EXPECT_THAT(lines,
                Contains("Исправлено нормалей (нулевых, не чисел или не единичной длины): 12"));
    EXPECT_THAT(lines, Contains("Нормалей против порядка вершин (не изменены): 3"));
    EXPECT_THAT(lines, Contains("Удалено повторных граней: 225"));
    EXPECT_THAT(lines, Contains("Граней нулевой площади: 1"));
    EXPECT_THAT(lines, Contains("Рёбер у одной грани (край): 4"));
    EXPECT_THAT(lines, Contains("Рёбер у трёх и более граней: 2"));
    EXPECT_THAT(lines, Contains(HasSubstr("Габариты, мм: X -0,25 .. 0,25")));
    EXPECT_THAT(lines, Contains(HasSubstr("«дюймы»")));
    EXPECT_THAT(lines, Contains(HasSubstr("вдоль Y")));

    check.NormalsRepaired = 0;
    check.DuplicatesRemoved = 0;
    check.SuggestedUnit.reset();
    check.SuggestedAxis.reset();
    const std::vector<std::string> kept = ModelCheckLines(check, '.');
    EXPECT_THAT(kept, Contains("Нормалей нулевых, не чисел или не единичной длины: 12, "
                               "исправлено: 0"));
    EXPECT_THAT(kept, Contains("Повторных граней: 225, удалено: 0"));
    EXPECT_EQ(kept.size(), 8u);
}

}  // namespace
}  // namespace tessarin::model
