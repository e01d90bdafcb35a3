// The reference lathe tool through the whole road: sorting, cutting-edge search, the static
// system and the working plane along the feed, the angles of every system. The working-
// and back-plane angles must come out as the tool was built, the others as the classic
// relations give them from those.
#include "samples/lathe_tool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "model/analysis_steps.h"
#include "model/angle_keys.h"
#include "model/coordinate_systems.h"
#include "model/model.h"
#include "model/systems.h"

namespace tessarin::model {
namespace {

using geometry::Normalize;
using samples::TLatheToolLayout;

double Rad(double degrees) {
    return degrees * kRadiansPerDegree;
}
double Deg(double radians) {
    return radians / kRadiansPerDegree;
}
double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

struct TLatheCase {
    const char* Name;
    TLatheToolLayout Layout;
};

TLatheToolLayout WithNoseRadius() {
    TLatheToolLayout layout;
    layout.NoseRadius = 0.8;
    layout.NoseFacets = 5;
    return layout;
}

TLatheToolLayout OtherAngles() {
    TLatheToolLayout layout;
    layout.SideRake = 8;
    layout.BackRake = -5;
    layout.SideRelief = 6;
    layout.EndRelief = 9;
    layout.SideCuttingEdgeAngle = 5;
    layout.EndCuttingEdgeAngle = 20;
    layout.NoseRadius = 0.4;
    layout.Tilt = 10;
    layout.TiltAzimuth = 220;
    return layout;
}

void PrintTo(const TLatheCase& c, std::ostream* out) {
    *out << c.Name;
}

class LatheToolRoadTest : public testing::TestWithParam<TLatheCase> {};

enum class TEdge { Side, End, Nose };

// The edge a segment lies on, by its direction in the tool frame.
TEdge EdgeOf(const TLatheToolLayout& layout, const TSegment& segment) {
    const auto lifted = [&](TVector3 h) {
        h.z = -std::tan(Rad(layout.SideRake)) * h.x + std::tan(Rad(layout.BackRake)) * h.y;
        return Normalize(samples::PlacedDirection(layout, h));
    };
    const TVector3 d = Normalize(segment.Direct);
    if (Dot(d, lifted(samples::SideEdgeDirection(layout))) > 1 - 1e-12) {
        return TEdge::Side;
    }
    if (Dot(d, lifted(samples::EndEdgeDirection(layout))) > 1 - 1e-12) {
        return TEdge::End;
    }
    return TEdge::Nose;
}

TEST_P(LatheToolRoadTest, GivesTheConstructionAnglesAndTheirRelations) {
    const TLatheToolLayout& layout = GetParam().Layout;
    TModel model(',');
    model.SurfaceData.GeometrySettings = kDefaultGeometrySettings;
    model.SurfaceData.Polygons = samples::GenerateLatheTool(layout);
    model.SurfaceData.PolygonCount = static_cast<std::int32_t>(model.SurfaceData.Polygons.size());
    model.SurfaceData.SurfaceExist = true;
    model.SurfaceData.SortSurfaces();
    const TResult found = model.FindCutEdge();
    ASSERT_TRUE(found) << found.Reason();
    ASSERT_EQ(static_cast<std::int64_t>(model.CutEdge.size()),
              samples::LatheCutEdgeSegmentCount(layout));

    // End edge first, then the nose, then the side edge, in polar order.
    std::vector<TEdge> edges;
    for (const TSegment& s : model.CutEdge) {
        edges.push_back(EdgeOf(layout, s));
    }
    const auto rank = [](TEdge e) { return e == TEdge::End ? 0 : e == TEdge::Nose ? 1 : 2; };
    std::map<TEdge, int> counts;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        ++counts[edges[i]];
        if (i > 0) {
            EXPECT_LE(rank(edges[i - 1]), rank(edges[i])) << "segment " << i;
        }
    }
    EXPECT_EQ(counts[TEdge::Side], layout.SideDivisions);
    EXPECT_EQ(counts[TEdge::End], layout.EndDivisions);

    // The static system is the tool's own Z; the working plane is set on the first
    // (end-edge) segment at its plan angle, the end cutting-edge angle.
    ASSERT_EQ(edges.front(), TEdge::End);
    model.PreviewSSK(layout.Tilt, layout.TiltAzimuth);
    ASSERT_TRUE(AcceptDefinition(model, TDefinition::StaticSystem));
    model.WorkingCS.FeedPlan.HCE = 0;
    ASSERT_TRUE(model.PreviewFeedPlan(layout.EndCuttingEdgeAngle));
    ASSERT_TRUE(AcceptDefinition(model, TDefinition::FeedPlan));
    model.PreviewKSK(0);
    ASSERT_TRUE(AcceptDefinition(model, TDefinition::KSK));
    model.PreviewDSK(0);
    ASSERT_TRUE(AcceptDefinition(model, TDefinition::DSK));
    for (int system = kISK; system <= kDSK; ++system) {
        ASSERT_TRUE(ComputeSystem(model, system).Allowed());
    }

    const double tanSideRake = std::tan(Rad(layout.SideRake));
    const double tanBackRake = std::tan(Rad(layout.BackRake));
    constexpr double kTolerance = 1e-9;
    for (std::size_t i = 0; i < model.CutEdge.size(); ++i) {
        const TSegment& s = model.CutEdge[i];
        const TEdge edge = edges[i];
        if (edge == TEdge::Nose) {
            continue;
        }
        const auto angle = [&](int kind) { return AngleValue(s, model.AcceptedCS, {kSSK, kind}); };
        const bool side = edge == TEdge::Side;
        SCOPED_TRACE(std::string(side ? "side" : "end") + " edge segment " + std::to_string(i));
        const double kr = side ? 90 - layout.SideCuttingEdgeAngle : layout.EndCuttingEdgeAngle;
        EXPECT_NEAR(angle(kKindF), kr, kTolerance);
        EXPECT_NEAR(angle(kKindPsi), 90 - kr, kTolerance);
        // The rake face is one plane: the back plane reads the back rake on both edges. The
        // working plane is read into the tool, which lies behind the side edge along the
        // feed but ahead of the end edge: the end edge sees the side rake rising.
        EXPECT_NEAR(angle(kKindGp), layout.BackRake, kTolerance);
        const double gf = side ? layout.SideRake : -layout.SideRake;
        EXPECT_NEAR(angle(kKindGf), gf, kTolerance);
        if (side) {
            EXPECT_NEAR(angle(kKindAf), layout.SideRelief, kTolerance);
        } else {
            EXPECT_NEAR(angle(kKindAp), layout.EndRelief, kTolerance);
        }

        // The classic relations. They write the inclination along the edge away from the
        // nose; the end edge's segments run towards it, which turns its sign (h).
        const double h = side ? 1 : -1;
        const double sk = std::sin(Rad(kr));
        const double ck = std::cos(Rad(kr));
        const double tanGf = side ? tanSideRake : -tanSideRake;
        const double go = Deg(std::atan(tanGf * sk + tanBackRake * ck));
        const double tanLs = h * (sk * tanBackRake - ck * tanGf);
        const double ls = Deg(std::atan(tanLs));
        const double gn = Deg(std::atan(std::tan(Rad(go)) * std::cos(Rad(ls))));
        const double cotAo = side ? (1 / std::tan(Rad(layout.SideRelief)) + h * ck * tanLs) / sk
                                  : (1 / std::tan(Rad(layout.EndRelief)) - h * sk * tanLs) / ck;
        const double ao = Deg(std::atan(1 / cotAo));
        const double an = Deg(std::atan(1 / (cotAo * std::cos(Rad(ls)))));
        EXPECT_NEAR(angle(kKindG), go, kTolerance);
        EXPECT_NEAR(angle(kKindL), ls, kTolerance);
        EXPECT_NEAR(angle(kKindGn), gn, kTolerance);
        EXPECT_NEAR(angle(kKindA), ao, kTolerance);
        EXPECT_NEAR(angle(kKindAn), an, kTolerance);
        EXPECT_NEAR(angle(kKindBo), 90 - go - ao, kTolerance);
        EXPECT_NEAR(angle(kKindBn), 90 - gn - an, kTolerance);

        // A kinematic system with Eta 0 is the static one, and so is a dynamic one but for
        // its stored rake angle, which lies in its own section plane (with Nu 0 the
        // working plane).
        for (const TAngleId& id : AllAngles()) {
            if (id.System == kKSK || (id.System == kDSK && id.Kind != kKindG)) {
                EXPECT_NEAR(AngleValue(s, model.AcceptedCS, id),
                            AngleValue(s, model.AcceptedCS, {kSSK, id.Kind}), kTolerance)
                    << AngleKey(id);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Tools, LatheToolRoadTest,
                         testing::Values(TLatheCase{"Sharp", TLatheToolLayout{}},
                                         TLatheCase{"NoseRadius", WithNoseRadius()},
                                         TLatheCase{"OtherAngles", OtherAngles()}),
                         [](const testing::TestParamInfo<TLatheCase>& info) {
                             return info.param.Name;
                         });

TEST(LatheToolTest, IsAClosedShellOfOutwardFacets) {
    for (const TLatheToolLayout& layout : {TLatheToolLayout{}, WithNoseRadius(), OtherAngles()}) {
        const TSurface polygons = samples::GenerateLatheTool(layout);
        // Every edge is used once in each direction, and the enclosed volume is positive.
        std::map<std::vector<double>, int> edges;
        double volume = 0;
        for (const TPolygon& p : polygons) {
            const TVector3 v[3] = {p.Vert1, p.Vert2, p.Vert3};
            for (int k = 0; k < 3; ++k) {
                const TVector3& a = v[k];
                const TVector3& b = v[(k + 1) % 3];
                ++edges[{a.x, a.y, a.z, b.x, b.y, b.z}];
                --edges[{b.x, b.y, b.z, a.x, a.y, a.z}];
            }
            volume += Dot(p.Vert1, geometry::CrossProduct(p.Vert2, p.Vert3)) / 6;
        }
        for (const auto& [edge, balance] : edges) {
            EXPECT_EQ(balance, 0);
        }
        EXPECT_GT(volume, 0);
    }
}

}  // namespace
}  // namespace tessarin::model
