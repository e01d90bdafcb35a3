// Sections by a plane: the outline of boxes against their known shape, the on-plane rule,
// invariance under facet order, and the wedge of a segment against the angle table and
// against the exact lathe tool.
#include "model/section.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "model/analysis_steps.h"
#include "model/angle_keys.h"
#include "model/facet_index.h"
#include "model/model.h"
#include "model/systems.h"
#include "samples/lathe_tool.h"
#include "samples/sample_tool.h"
#include "tests/support/sample_road.h"

namespace tessarin::model {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TPolygon Facet(const TVector3& a, const TVector3& b, const TVector3& c) {
    return {a, b, c,
            geometry::Normalize(geometry::CrossProduct({b.x - a.x, b.y - a.y, b.z - a.z},
                                                       {c.x - a.x, c.y - a.y, c.z - a.z}))};
}

// The box [0, sx] x [0, sy] x [0, sz]: 12 triangles, counter-clockwise from outside,
// corners shared bit for bit.
TSurface Box(double sx, double sy, double sz) {
    const auto v = [&](int i) {
        return TVector3{(i & 1) ? sx : 0.0, (i & 2) ? sy : 0.0, (i & 4) ? sz : 0.0};
    };
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    TSurface out;
    for (const auto& q : quads) {
        out.push_back(Facet(v(q[0]), v(q[1]), v(q[2])));
        out.push_back(Facet(v(q[0]), v(q[2]), v(q[3])));
    }
    return out;
}

double Length(const TSectionPolyline& line) {
    double sum = 0.0;
    const std::size_t n = line.Points.size();
    for (std::size_t i = 0; i + 1 < n + (line.Closed ? 1 : 0); ++i) {
        const TVector2& a = line.Points[i];
        const TVector2& b = line.Points[(i + 1) % n];
        sum += std::hypot(b.x - a.x, b.y - a.y);
    }
    return sum;
}

double Area(const TSectionPolyline& line) {
    double twice = 0.0;
    for (std::size_t i = 0; i < line.Points.size(); ++i) {
        const TVector2& a = line.Points[i];
        const TVector2& b = line.Points[(i + 1) % line.Points.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return 0.5 * twice;
}

bool SameOutline(const TSectionOutline& a, const TSectionOutline& b) {
    if (a.Polylines.size() != b.Polylines.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.Polylines.size(); ++i) {
        const TSectionPolyline& p = a.Polylines[i];
        const TSectionPolyline& q = b.Polylines[i];
        if (p.Closed != q.Closed || p.Points.size() != q.Points.size()) {
            return false;
        }
        for (std::size_t k = 0; k < p.Points.size(); ++k) {
            if (p.Points[k].x != q.Points[k].x || p.Points[k].y != q.Points[k].y) {
                return false;
            }
        }
    }
    return true;
}

struct TBoxCut {
    const char* Name;
    TVector3 Point;
    TVector3 Normal;
    int Loops;  // 0 or 1
    int Corners;
    double Length;
    double Area;
};

void PrintTo(const TBoxCut& c, std::ostream* out) {
    *out << c.Name;
}

class BoxSectionTest : public testing::TestWithParam<TBoxCut> {};

// The box 2 x 3 x 4. A face in the plane shows once when the box lies below the plane
// (against its normal) and not at all when it lies above; a plane through two vertical
// edges (x = y, one edge's vertices on it) gives the diagonal rectangle.
TEST_P(BoxSectionTest, GivesTheKnownClosedOutline) {
    const TBoxCut& c = GetParam();
    const TSurface box = Box(2, 3, 4);
    const TFacetIndex index(box);
    const std::optional<TPlaneFrame> frame = MakePlaneFrame(c.Point, c.Normal);
    ASSERT_TRUE(frame);
    const TSectionOutline outline = SectionOfMesh(index, *frame);
    EXPECT_TRUE(SameOutline(outline, SectionOfMesh(box, *frame)));
    ASSERT_EQ(static_cast<int>(outline.Polylines.size()), c.Loops);
    if (c.Loops == 0) {
        return;
    }
    const TSectionPolyline& loop = outline.Polylines.front();
    EXPECT_TRUE(loop.Closed);
    EXPECT_NEAR(Length(loop), c.Length, 1e-12);
    EXPECT_NEAR(Area(loop), c.Area, 1e-12);  // counter-clockwise around material
    // Collinear points come from the triangulation; no point twice.
    int corners = 0;
    const std::size_t n = loop.Points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TVector2& a = loop.Points[(i + n - 1) % n];
        const TVector2& b = loop.Points[i];
        const TVector2& d = loop.Points[(i + 1) % n];
        EXPECT_GT(std::hypot(d.x - b.x, d.y - b.y), 1e-9);
        if (std::abs((b.x - a.x) * (d.y - b.y) - (b.y - a.y) * (d.x - b.x)) > 1e-9) {
            ++corners;
        }
    }
    EXPECT_EQ(corners, c.Corners);
}

const double kDiagonal = 2 * std::sqrt(2.0);

INSTANTIATE_TEST_SUITE_P(
    Cuts, BoxSectionTest,
    testing::Values(TBoxCut{"Middle", {0, 0, 1.5}, {0, 0, 1}, 1, 4, 10, 6},
                    TBoxCut{"TopFaceBoxBelow", {0, 0, 4}, {0, 0, 1}, 1, 4, 10, 6},
                    TBoxCut{"TopFaceBoxAbove", {0, 0, 4}, {0, 0, -1}, 0, 0, 0, 0},
                    TBoxCut{"BottomFaceBoxAbove", {0, 0, 0}, {0, 0, 1}, 0, 0, 0, 0},
                    TBoxCut{"BottomFaceBoxBelow", {0, 0, 0}, {0, 0, -1}, 1, 4, 10, 6},
                    TBoxCut{"SideFace", {2, 0, 0}, {1, 0, 0}, 1, 4, 14, 12},
                    TBoxCut{"ThroughVerticalEdges",
                            {0, 0, 0},
                            {1, -1, 0},
                            1,
                            4,
                            2 * (kDiagonal + 4),
                            4 * kDiagonal},
                    TBoxCut{"Outside", {0, 0, 5}, {0, 0, 1}, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<TBoxCut>& info) { return info.param.Name; });

// Single facets against the plane z = 0: what each rule gives, open pieces included.
TEST(SectionRule, OnPlaneVerticesAndInPlaneFacets) {
    struct TCase {
        const char* Name;
        TSurface Facets;
        int Points;  // of the one open piece, 0 for none
    };
    const TVector3 a{0, 0, 0};
    const TVector3 b{1, 0, 0};
    const TVector3 c{0, 1, 0};
    const std::vector<TCase> cases = {
        {"InPlane", {Facet(a, b, c)}, 0},
        {"EdgeInPlaneAbove", {Facet(a, b, {0, 1, 1})}, 0},
        {"EdgeInPlaneBelow", {Facet(a, b, {0, 1, -1})}, 2},
        {"VertexOnPlaneAbove", {Facet(a, {1, 0, 1}, {0, 1, 1})}, 0},
        {"VertexOnPlaneBelow", {Facet(a, {1, 0, -1}, {0, 1, -1})}, 0},
        {"VertexOnPlaneAcross", {Facet(a, {1, 0, 1}, {0, 1, -1})}, 2},
        // Two facets across an edge through an on-plane vertex: one piece of three points.
        {"FanAcross", {Facet(a, {1, 0, -1}, {1, 1, 1}), Facet(a, {1, 1, 1}, {0, 1, -1})}, 3},
        // An in-plane facet over a facet below sharing its edge: the edge, once.
        {"InPlaneOverBelow", {Facet(a, b, c), Facet(b, a, {0, 0, -1})}, 2},
        {"RepeatedFacet", {Facet(a, {1, 0, 1}, {0, 1, -1}), Facet(a, {1, 0, 1}, {0, 1, -1})}, 2},
        {"WithinTolerance", {Facet({0, 0, 1e-10}, {1, 0, 1}, {0, 1, -1})}, 2},
    };
    const TPlaneFrame frame = *MakePlaneFrame({0, 0, 0}, {0, 0, 1});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSectionOutline outline = SectionOfMesh(c.Facets, frame);
        if (c.Points == 0) {
            EXPECT_TRUE(outline.Polylines.empty());
            continue;
        }
        ASSERT_EQ(outline.Polylines.size(), 1U);
        EXPECT_FALSE(outline.Polylines[0].Closed);
        EXPECT_EQ(static_cast<int>(outline.Polylines[0].Points.size()), c.Points);
    }
}

samples::TSampleToolLayout SmallSampleLayout() {
    samples::TSampleToolLayout layout;
    layout.EdgeDivisions = 3;
    layout.LateralDivisions = 2;
    layout.FlankRows = 1;
    layout.BodyDivisions = 1;
    return layout;
}

// The facets shuffled, each one's vertices turned round (same orientation), some repeated:
// the same outline bit for bit, with the index and without.
TEST(SectionInvariance, FacetOrderVertexOrderAndRepeatsDoNotMatter) {
    const TSurface tool = samples::GenerateSampleTool(SmallSampleLayout());
    TSurface shuffled = tool;
    std::mt19937 random(7);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    for (std::size_t i = 0; i < shuffled.size(); ++i) {
        TPolygon& p = shuffled[i];
        if (i % 2 == 0) {
            p = {p.Vert2, p.Vert3, p.Vert1, p.Normal};
        }
    }
    for (std::size_t i = 0; i < shuffled.size(); i += 5) {
        shuffled.push_back(shuffled[i]);
    }
    const TFacetIndex index(tool);
    const TFacetIndex shuffledIndex(shuffled);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    int cutting = 0;
    for (int k = 0; k < 20; ++k) {
        const TVector3 normal{unit(random), unit(random), unit(random)};
        const TVector3 point{10 * unit(random), 10 * unit(random), 5 * unit(random)};
        const std::optional<TPlaneFrame> frame = MakePlaneFrame(point, normal);
        ASSERT_TRUE(frame);
        const TSectionOutline outline = SectionOfMesh(index, *frame);
        SCOPED_TRACE("plane " + std::to_string(k));
        EXPECT_TRUE(SameOutline(outline, SectionOfMesh(shuffledIndex, *frame)));
        EXPECT_TRUE(SameOutline(outline, SectionOfMesh(shuffled, *frame)));
        // The tool is a closed shell: every piece is a loop.
        for (const TSectionPolyline& line : outline.Polylines) {
            EXPECT_TRUE(line.Closed);
        }
        cutting += outline.Polylines.empty() ? 0 : 1;
    }
    EXPECT_GT(cutting, 5);
}

// The index gives exactly the facets the plane cuts or touches, each once.
TEST(FacetIndex, GivesTheFacetsAPlaneCuts) {
    const TSurface tool = samples::GenerateSampleTool(SmallSampleLayout());
    const TFacetIndex index(tool);
    EXPECT_EQ(index.FacetCount(), tool.size());
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int k = 0; k < 20; ++k) {
        const TVector3 normal =
            k == 0 ? TVector3{0, 0, 1} : TVector3{unit(random), unit(random), unit(random)};
        const TVector3 point =
            k == 0 ? tool[0].Vert1 : TVector3{10 * unit(random), 10 * unit(random), unit(random)};
        std::vector<std::uint32_t> found;
        index.FacetsCutBy(point, normal, 0.0, found);
        std::sort(found.begin(), found.end());
        const TVector3 n = geometry::Normalize(normal);
        std::vector<std::uint32_t> expected;
        for (std::uint32_t i = 0; i < tool.size(); ++i) {
            const TPolygon& p = tool[i];
            double lo = 1e300;
            double hi = -1e300;
            for (const TVector3& v : {p.Vert1, p.Vert2, p.Vert3}) {
                const double d = Dot(n, {v.x - point.x, v.y - point.y, v.z - point.z});
                lo = std::min(lo, d);
                hi = std::max(hi, d);
            }
            if (lo <= 0.0 && hi >= 0.0) {
                expected.push_back(i);
            }
        }
        EXPECT_EQ(found, expected) << "plane " << k;
    }
}

TVector3 InModel(const TPlaneFrame& frame, const TVector2& t) {
    return {frame.AxisU.x * t.x + frame.AxisV.x * t.y, frame.AxisU.y * t.x + frame.AxisV.y * t.y,
            frame.AxisU.z * t.x + frame.AxisV.z * t.y};
}

double DirectionDegrees(const TVector2& t) {
    return std::atan2(t.y, t.x) * 180.0 / kPi;
}

// Same angle modulo 360.
void ExpectSameDirection(double a, double b) {
    EXPECT_NEAR(std::remainder(a - b, 360.0), 0.0, 1e-9);
}

// Every segment of the analysed sample tool in every plane of every system: the drawn
// angles are the table's, the traces lie in the faces and the arcs end on the traces.
TEST(WedgeSection, EqualsTheAngleTableOnTheSampleTool) {
    TModel model(',');
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    model.SurfaceData.Polygons = samples::GenerateSampleTool(SmallSampleLayout());
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(model.SurfaceData.Polygons.size());
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SortSurfaces();
    ASSERT_TRUE(model.FindCutEdge());
    test::DefineAndComputeSampleRoad(model);
    ASSERT_FALSE(model.CutEdge.empty());

    struct TPlaneKinds {
        TWedgePlane Plane;
        int Rake;
        int Clearance;
        int Wedge;  // -1: 90 - rake - clearance of the table
    };
    const TPlaneKinds planes[] = {{TWedgePlane::Pn, kKindGn, kKindAn, kKindBn},
                                  {TWedgePlane::Po, kKindG, kKindA, kKindBo},
                                  {TWedgePlane::Pf, kKindGf, kKindAf, -1},
                                  {TWedgePlane::Pp, kKindGp, kKindAp, -1}};
    for (const TSegment& s : model.CutEdge) {
        for (int system = kISK; system <= kDSK; ++system) {
            const std::array<double, kAngleKindCount> table =
                AngleValues(s, model.AcceptedCS, system);
            for (const TPlaneKinds& p : planes) {
                SCOPED_TRACE("segment " + std::to_string(s.Number) + " system " +
                             std::to_string(system) + " plane " +
                             std::to_string(static_cast<int>(p.Plane)));
                const std::optional<TWedgeSection> w =
                    WedgeSectionOf(s, model.AcceptedCS, system, p.Plane);
                if (std::isnan(table[static_cast<std::size_t>(p.Rake)])) {
                    EXPECT_FALSE(w);
                    continue;
                }
                ASSERT_TRUE(w);
                // The dynamic system stores the rake angle of its own section plane; the
                // main section's is the one in beta_o.
                if (!(system == kDSK && p.Plane == TWedgePlane::Po)) {
                    EXPECT_NEAR(w->Rake, table[static_cast<std::size_t>(p.Rake)], 1e-9);
                }
                EXPECT_NEAR(w->Clearance, table[static_cast<std::size_t>(p.Clearance)], 1e-9);
                const double wedge = p.Wedge >= 0
                                         ? table[static_cast<std::size_t>(p.Wedge)]
                                         : 90 - table[static_cast<std::size_t>(p.Rake)] -
                                               table[static_cast<std::size_t>(p.Clearance)];
                EXPECT_NEAR(w->Wedge, wedge, 1e-9);

                const TPlaneFrame& f = w->Frame;
                EXPECT_NEAR(Dot(f.Normal, f.AxisU), 0, 1e-12);
                EXPECT_NEAR(Dot(f.Normal, f.AxisV), 0, 1e-12);
                EXPECT_NEAR(Dot(f.AxisU, f.AxisV), 0, 1e-12);
                if (p.Plane == TWedgePlane::Pn) {
                    EXPECT_NEAR(Dot(f.Normal, geometry::Normalize(s.Direct)), 1, 1e-12);
                }
                EXPECT_NEAR(Dot(InModel(f, w->RakeTrace), geometry::Normalize(s.Front.Normal)), 0,
                            1e-12);
                EXPECT_NEAR(Dot(InModel(f, w->FlankTrace), geometry::Normalize(s.Back.Normal)), 0,
                            1e-12);
                ExpectSameDirection(w->RakeArc.Start, DirectionDegrees(w->ReferenceTrace));
                ExpectSameDirection(w->RakeArc.Start + w->RakeArc.Sweep,
                                    DirectionDegrees(w->RakeTrace));
                ExpectSameDirection(w->ClearanceArc.Start + w->ClearanceArc.Sweep,
                                    DirectionDegrees(w->FlankTrace));
                ExpectSameDirection(w->WedgeArc.Start, DirectionDegrees(w->FlankTrace));
                ExpectSameDirection(w->WedgeArc.Start + w->WedgeArc.Sweep,
                                    DirectionDegrees(w->RakeTrace));
            }
        }
    }
}

// The exact lathe tool cut at its straight edges in the working and the back plane: the
// wedge reads the construction's angles, and the mesh's outline leaves the edge point
// along the drawn rake and flank traces.
TEST(WedgeSection, MatchesTheLatheToolsConstruction) {
    const samples::TLatheToolLayout layout;
    TModel model(',');
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    model.SurfaceData.Polygons = samples::GenerateLatheTool(layout);
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(model.SurfaceData.Polygons.size());
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SortSurfaces();
    ASSERT_TRUE(model.FindCutEdge());
    model.PreviewSSK(layout.Tilt, layout.TiltAzimuth);
    ASSERT_TRUE(AcceptDefinition(model, TDefinition::StaticSystem));
    model.WorkingCS.FeedPlan.HCE = 0;  // an end-edge segment
    ASSERT_TRUE(model.PreviewFeedPlan(layout.EndCuttingEdgeAngle));
    ASSERT_TRUE(AcceptDefinition(model, TDefinition::FeedPlan));
    const TFacetIndex index(model.SurfaceData.Polygons);

    // The first segment lies on the end edge, the last on the side edge.
    struct TCase {
        const char* Name;
        const TSegment* Segment;
        TWedgePlane Plane;
        double Rake;
        double Clearance;
    };
    const TCase cases[] = {
        {"SideEdgeWorkingPlane", &model.CutEdge.back(), TWedgePlane::Pf, layout.SideRake,
         layout.SideRelief},
        {"EndEdgeBackPlane", &model.CutEdge.front(), TWedgePlane::Pp, layout.BackRake,
         layout.EndRelief},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::optional<TWedgeSection> w =
            WedgeSectionOf(*c.Segment, model.AcceptedCS, kSSK, c.Plane);
        ASSERT_TRUE(w);
        EXPECT_NEAR(w->Rake, c.Rake, 1e-9);
        EXPECT_NEAR(w->Clearance, c.Clearance, 1e-9);
        EXPECT_NEAR(w->Wedge, 90 - c.Rake - c.Clearance, 1e-9);

        const TSectionOutline outline = SectionOfMesh(index, w->Frame);
        ASSERT_EQ(outline.Polylines.size(), 1U);  // a convex shell
        const TSectionPolyline& loop = outline.Polylines[0];
        ASSERT_TRUE(loop.Closed);
        const std::size_t n = loop.Points.size();
        std::size_t at = n;
        for (std::size_t i = 0; i < n; ++i) {
            if (std::hypot(loop.Points[i].x, loop.Points[i].y) < 1e-9) {
                at = i;
            }
        }
        ASSERT_LT(at, n) << "the edge point is not on the outline";
        // Counter-clockwise around the material: along the rake face out to the edge
        // point, then down the flank.
        const auto unit = [](const TVector2& p) {
            const double l = std::hypot(p.x, p.y);
            return TVector2{p.x / l, p.y / l};
        };
        const TVector2 before = unit(loop.Points[(at + n - 1) % n]);
        const TVector2 after = unit(loop.Points[(at + 1) % n]);
        EXPECT_NEAR(before.x, w->RakeTrace.x, 1e-9);
        EXPECT_NEAR(before.y, w->RakeTrace.y, 1e-9);
        EXPECT_NEAR(after.x, w->FlankTrace.x, 1e-9);
        EXPECT_NEAR(after.y, w->FlankTrace.y, 1e-9);
    }
}

}  // namespace
}  // namespace tessarin::model
