// The analysis must not depend on how the tool was exported: its unit, its axis, where
// it stands, repeated facets, broken normals or the order of the facets. Every case
// changes exactly one of these in a generated tool, imports it with the options that
// undo the change, runs the whole road (sorting, cutting edge, the four systems and
// their angles) and compares it with the road of the tool as generated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/analysis_steps.h"
#include "model/import_options.h"
#include "model/model.h"
#include "model/model_check.h"
#include "samples/sample_tool.h"
#include "tests/support/sample_road.h"
#include "tests/support/stl_text.h"

namespace tessarin::model {
namespace {

struct TRoad {
    TCutEdgeData CutEdge;
    TModelCheck Check;
    std::int32_t PolygonCount = 0;
};

// Imports the exact text of `polygons` with `options` and runs the road of the sample
// project: static system 5, 30; working plane 90 on segment 4; Eta 3; Nu 10.
TRoad RunRoad(const TSurface& polygons, const TImportOptions& options) {
    TModel model('.');
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    TRoad road;
    const TResult loaded = model.SurfaceData.LoadSTLFromMemory(test::ExactAsciiStl(polygons),
                                                               "road.stl", options, &road.Check);
    EXPECT_TRUE(loaded) << loaded.Reason();
    model.SurfaceData.SortSurfaces();
    const TResult found = model.FindCutEdge();
    EXPECT_TRUE(found) << found.Reason();
    test::DefineAndComputeSampleRoad(model);
    road.CutEdge = model.CutEdge;
    road.PolygonCount = model.SurfaceData.PolygonCount;
    return road;
}

bool Near(const TVector3& a, const TVector3& b, double tolerance) {
    return std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
           std::abs(a.z - b.z) <= tolerance;
}

// Every segment of `expected` has one in `actual` with the same end points, and all its
// angles agree; the order is not compared (equal polar angles may come either way).
void ExpectSameCutEdge(const TCutEdgeData& actual, const TCutEdgeData& expected,
                       double pointTolerance, double angleTolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    ASSERT_FALSE(expected.empty());
    std::vector<bool> used(actual.size(), false);
    for (const TSegment& e : expected) {
        std::size_t match = actual.size();
        for (std::size_t i = 0; i < actual.size(); ++i) {
            if (!used[i] && Near(actual[i].Point1, e.Point1, pointTolerance) &&
                Near(actual[i].Point2, e.Point2, pointTolerance)) {
                match = i;
                break;
            }
        }
        ASSERT_LT(match, actual.size()) << "no segment at segment " << e.Number;
        used[match] = true;
        const TSegment& a = actual[match];
        const std::vector<double> got{a.ISK.A, a.ISK.G, a.ISK.L, a.SSK.A, a.SSK.G,
                                      a.SSK.L, a.SSK.F, a.KSK.A, a.KSK.G, a.KSK.L,
                                      a.KSK.F, a.DSK.A, a.DSK.G, a.DSK.L, a.DSK.F};
        const std::vector<double> want{e.ISK.A, e.ISK.G, e.ISK.L, e.SSK.A, e.SSK.G,
                                       e.SSK.L, e.SSK.F, e.KSK.A, e.KSK.G, e.KSK.L,
                                       e.KSK.F, e.DSK.A, e.DSK.G, e.DSK.L, e.DSK.F};
        for (std::size_t k = 0; k < got.size(); ++k) {
            ASSERT_NEAR(got[k], want[k], angleTolerance)
                << "angle " << k << " of segment " << e.Number;
        }
    }
}

using TChange = std::function<TSurface(const TSurface&)>;

// Moves every vertex by f; normals by g (identity when not given).
TChange EachVertex(std::function<TVector3(const TVector3&)> f,
                   std::function<TVector3(const TVector3&)> g = nullptr) {
    return [f, g](const TSurface& polygons) {
        TSurface changed = polygons;
        for (TPolygon& p : changed) {
            p.Vert1 = f(p.Vert1);
            p.Vert2 = f(p.Vert2);
            p.Vert3 = f(p.Vert3);
            if (g) {
                p.Normal = g(p.Normal);
            }
        }
        return changed;
    };
}

// The tool turned so that its axis, +Z, becomes `axis`: the inverse of the import's turn.
TChange TurnedOnto(const TVector3& axis) {
    const TAxisTurn turn = *AxisTurn(axis);
    auto f = [turn](const TVector3& v) { return turn.ApplyInverse(v); };
    return EachVertex(f, f);
}

TImportOptions With(std::function<void(TImportOptions&)> set) {
    TImportOptions options;
    set(options);
    return options;
}

struct TCase {
    const char* Name;
    TChange Change;
    TImportOptions Options;
    double PointTolerance;  // mm
    double AngleTolerance;  // degrees
    // The options of the road compared with: a tool with fewer than two insert pairs
    // opposite each other is not centred on its axis, so "center" is compared with
    // "center".
    TImportOptions Plain{};
};

const std::vector<TCase>& Cases() {
    static const std::vector<TCase> cases{
        {"Inches", EachVertex([](const TVector3& v) {
             return TVector3{v.x / 25.4, v.y / 25.4, v.z / 25.4};
         }),
         With([](TImportOptions& o) { o.Unit = TLengthUnit::Inch; }), 1e-9, 1e-9},
        {"Micrometres", EachVertex([](const TVector3& v) {
             return TVector3{v.x * 1000.0, v.y * 1000.0, v.z * 1000.0};
         }),
         With([](TImportOptions& o) { o.Unit = TLengthUnit::Micrometre; }), 1e-9, 1e-9},
        // Turns about a coordinate axis only permute and negate: nothing rounds.
        {"AxisY", TurnedOnto({0, 1, 0}), With([](TImportOptions& o) {
             o.Axis = {0, 1, 0};
         }),
         0.0, 0.0},
        {"AxisMinusX", TurnedOnto({-1, 0, 0}), With([](TImportOptions& o) {
             o.Axis = {-1, 0, 0};
         }),
         0.0, 0.0},
        {"AxisMinusZ", TurnedOnto({0, 0, -1}), With([](TImportOptions& o) {
             o.Axis = {0, 0, -1};
         }),
         0.0, 0.0},
        {"AxisOblique", TurnedOnto({1, -2, 2}), With([](TImportOptions& o) {
             o.Axis = {1, -2, 2};
         }),
         1e-9, 1e-7},
        {"ShiftedAcrossTheAxis", EachVertex([](const TVector3& v) {
             return TVector3{v.x + 12.5, v.y - 7.25, v.z};
         }),
         With([](TImportOptions& o) { o.Origin = TOriginChoice::Center; }), 1e-9, 1e-7,
         With([](TImportOptions& o) { o.Origin = TOriginChoice::Center; })},
        {"ShiftedToAPoint", EachVertex([](const TVector3& v) {
             return TVector3{v.x + 3.0, v.y + 4.0, v.z - 5.0};
         }),
         With([](TImportOptions& o) {
             o.Origin = TOriginChoice::Point;
             o.OriginPoint = {3.0, 4.0, -5.0};
         }),
         1e-9, 1e-7},
        // Metres, axis along -X, shifted across it: all three undone at once.
        {"MetresAlongMinusXShifted",
         [](const TSurface& polygons) {
             TSurface turned = TurnedOnto({-1, 0, 0})(polygons);
             return EachVertex([](const TVector3& v) {
                 return TVector3{v.x / 1000.0, (v.y + 20.0) / 1000.0, (v.z - 30.0) / 1000.0};
             })(turned);
         },
         With([](TImportOptions& o) {
             o.Unit = TLengthUnit::Metre;
             o.Axis = {-1, 0, 0};
             o.Origin = TOriginChoice::Center;
         }),
         1e-9, 1e-7, With([](TImportOptions& o) { o.Origin = TOriginChoice::Center; })},
        // Each facet followed by its twin, the twin's vertices in another order.
        {"EveryFacetTwice",
         [](const TSurface& polygons) {
             TSurface twice;
             for (const TPolygon& p : polygons) {
                 twice.push_back(p);
                 twice.push_back({p.Vert2, p.Vert3, p.Vert1, p.Normal});
             }
             return twice;
         },
         TImportOptions{}, 0.0, 0.0},
        {"NormalsZero",
         EachVertex([](const TVector3& v) { return v; },
                    [](const TVector3&) { return TVector3{}; }),
         TImportOptions{}, 0.0, 1e-9},
        {"NormalsTimesThree",
         EachVertex([](const TVector3& v) { return v; },
                    [](const TVector3& n) {
                        return TVector3{3 * n.x, 3 * n.y, 3 * n.z};
                    }),
         TImportOptions{}, 0.0, 1e-9},
        {"FacetsReversed",
         [](const TSurface& polygons) { return TSurface(polygons.rbegin(), polygons.rend()); },
         TImportOptions{}, 0.0, 0.0},
    };
    return cases;
}

const TCase& CaseNamed(std::string_view name) {
    for (const TCase& c : Cases()) {
        if (name == c.Name) {
            return c;
        }
    }
    throw std::logic_error("no case " + std::string(name));
}

struct TModelCase {
    const char* Name;
    samples::TSampleToolLayout Layout;
};

const std::vector<TModelCase>& Models() {
    static const std::vector<TModelCase> models{
        {"Sample", samples::TSampleToolLayout{}},
        // Five inserts, an even outer edge (no segment across -X), a coarse body.
        {"FiveInserts", samples::TSampleToolLayout{5, 25.0, 4, 3, 1, 2}},
    };
    return models;
}

class ImportInvariance : public ::testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(ImportInvariance, TheRoadGivesTheSameCuttingEdgeAndAngles) {
    const auto [modelIndex, caseIndex] = GetParam();
    const TModelCase& m = Models()[modelIndex];
    const TCase& c = Cases()[caseIndex];
    const TSurface tool = samples::GenerateSampleTool(m.Layout);
    const TRoad plain = RunRoad(tool, c.Plain);
    ASSERT_EQ(static_cast<std::int64_t>(plain.CutEdge.size()),
              samples::CutEdgeSegmentCount(m.Layout));
    const TRoad changed = RunRoad(c.Change(tool), c.Options);
    EXPECT_EQ(changed.PolygonCount, plain.PolygonCount);
    EXPECT_EQ(changed.Check.BoundaryEdges, 0);
    EXPECT_EQ(changed.Check.NonManifoldEdges, 0);
    EXPECT_FALSE(changed.Check.SuggestedUnit);
    EXPECT_FALSE(changed.Check.SuggestedAxis);
    ExpectSameCutEdge(changed.CutEdge, plain.CutEdge, c.PointTolerance, c.AngleTolerance);
}

INSTANTIATE_TEST_SUITE_P(Changes, ImportInvariance,
                         ::testing::Combine(::testing::Range<std::size_t>(0, 2),
                                            ::testing::Range<std::size_t>(0, Cases().size())),
                         [](const auto& info) {
                             return std::string(Models()[std::get<0>(info.param)].Name) + "_" +
                                    Cases()[std::get<1>(info.param)].Name;
                         });

// The changes really are faults the import must see: without the options (or the
// repairs) the road of the changed tool differs, and the check says what it found.
TEST(ImportInvariance, WithoutTheOptionsTheChangesShowInTheCheck) {
    const TSurface tool = samples::GenerateSampleTool({});
    TImportOptions asRead;
    asRead.RepairNormals = false;
    asRead.KeepDuplicates = true;
    TModelCheck check;
    TSurFaceData surface;

    ASSERT_TRUE(surface.LoadSTLFromMemory(test::ExactAsciiStl(CaseNamed("Inches").Change(tool)),
                                          "in.stl", TImportOptions{}, &check));
    EXPECT_EQ(check.SuggestedUnit, TLengthUnit::Inch);

    ASSERT_TRUE(surface.LoadSTLFromMemory(test::ExactAsciiStl(TurnedOnto({0, 1, 0})(tool)), "y.stl",
                                          TImportOptions{}, &check));
    EXPECT_EQ(check.SuggestedAxis, (TVector3{0, 1, 0}));

    ASSERT_TRUE(
        surface.LoadSTLFromMemory(test::ExactAsciiStl(CaseNamed("EveryFacetTwice").Change(tool)),
                                  "twice.stl", asRead, &check));
    EXPECT_EQ(check.DuplicateFacets, static_cast<std::int64_t>(tool.size()));
    EXPECT_EQ(check.DuplicatesRemoved, 0);
    EXPECT_EQ(check.NonManifoldEdges, static_cast<std::int64_t>(tool.size() * 3 / 2));

    ASSERT_TRUE(surface.LoadSTLFromMemory(
        test::ExactAsciiStl(CaseNamed("NormalsZero").Change(tool)), "zero.stl", asRead, &check));
    EXPECT_EQ(check.BadNormals, static_cast<std::int64_t>(tool.size()));
    EXPECT_EQ(check.NormalsRepaired, 0);
}

}  // namespace
}  // namespace tessarin::model
