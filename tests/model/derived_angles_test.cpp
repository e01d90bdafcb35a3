// The derived angles: their signs on simple geometry, the relations between the planes on
// random segments, and AngleValue's choice of frame.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/angle_keys.h"
#include "model/angles.h"
#include "model/coordinate_systems.h"
#include "model/systems.h"

namespace tessarin::model {
namespace {

using geometry::CrossProduct;
using geometry::Normalize;
using geometry::VectorAngle;

double Sin(double degrees) {
    return std::sin(degrees * kRadiansPerDegree);
}
double Cos(double degrees) {
    return std::cos(degrees * kRadiansPerDegree);
}
double Tan(double degrees) {
    return std::tan(degrees * kRadiansPerDegree);
}
double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
TVector3 Minus(const TVector3& a, const TVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
TVector3 Scaled(const TVector3& v, double f) {
    return {v.x * f, v.y * f, v.z * f};
}
// v's part at right angles to the unit vector u.
TVector3 Across(const TVector3& v, const TVector3& u) {
    return Minus(v, Scaled(u, Dot(v, u)));
}

constexpr TVector3 kX{1, 0, 0};
constexpr TVector3 kZ{0, 0, 1};

// The edge along X with the tool on +Y, a rake face falling 10 degrees towards +Y and a
// flank that falls back 8 degrees under the edge.
const TVector3 kRake10{0, Sin(10), Cos(10)};
const TVector3 kFlank8{0, -Cos(8), -Sin(8)};

struct TSignCase {
    const char* Name;
    double (*Compute)();
    double Expected;
};

class DerivedAngleSignTest : public testing::TestWithParam<TSignCase> {};

TEST_P(DerivedAngleSignTest, FollowsTheMainSectionSigns) {
    EXPECT_NEAR(GetParam().Compute(), GetParam().Expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DerivedAngleSignTest,
    testing::Values(
        // Without inclination the normal plane is the main section plane.
        TSignCase{"NormalRake", [] { return NormalRakeAngle(kX, kRake10, kZ); }, 10},
        TSignCase{"NormalRakeReversedSegment",
                  [] {
                      return NormalRakeAngle({-1, 0, 0}, kRake10, kZ);
                  },
                  -10},
        TSignCase{"NormalClearance", [] { return NormalClearanceAngle(kX, kFlank8, kZ); }, 8},
        TSignCase{"MainClearanceAgrees", [] { return ClearanceAngle(kX, kFlank8, kZ); }, 8},
        // Working plane across the edge (P along -X, trace c = +Y, plan angle 90): the
        // working plane is the main section plane and the back plane holds the edge.
        TSignCase{"WorkingRakeAcross",
                  [] {
                      return WorkingRakeAngle(kX, kRake10, kZ, {-1, 0, 0});
                  },
                  10},
        TSignCase{"WorkingClearanceAcross",
                  [] {
                      return WorkingClearanceAngle(kX, kFlank8, kZ, {-1, 0, 0});
                  },
                  8},
        TSignCase{"BackRakeAcross",
                  [] {
                      return BackRakeAngle(kX, kRake10, kZ, {-1, 0, 0});
                  },
                  0},
        // The other way round for P along +Y (c = +X along the edge): the back plane
        // points along P, into the tool.
        TSignCase{"BackRakeAlong",
                  [] {
                      return BackRakeAngle(kX, kRake10, kZ, {0, 1, 0});
                  },
                  10},
        TSignCase{"BackClearanceAlong",
                  [] {
                      return BackClearanceAngle(kX, kFlank8, kZ, {0, 1, 0});
                  },
                  8},
        TSignCase{"BackRakeReversedP",
                  [] {
                      return BackRakeAngle(kX, kRake10, kZ, {0, -1, 0});
                  },
                  -10},
        // The working plane's trace is turned into the tool whichever way c points.
        TSignCase{"WorkingRakeReversedP",
                  [] {
                      return WorkingRakeAngle(kX, kRake10, kZ, {1, 0, 0});
                  },
                  10},
        TSignCase{"WorkingRakeBothSides",
                  [] {
                      return WorkingRakeAngle({-1, 0, 0}, {0, -Sin(10), Cos(10)}, kZ, {1, 0, 0});
                  },
                  10},
        TSignCase{"Wedge", [] { return WedgeAngle(10, 8); }, 72},
        TSignCase{"ApproachAcross",
                  [] {
                      return ApproachAngle(kX, {-1, 0, 0}, kZ);
                  },
                  0},
        TSignCase{"ApproachAt45",
                  [] {
                      return ApproachAngle(kX, {-1, 1, 0}, kZ);
                  },
                  45},
        TSignCase{"ApproachAlong",
                  [] {
                      return ApproachAngle(kX, {0, 1, 0}, kZ);
                  },
                  90}),
    [](const testing::TestParamInfo<TSignCase>& info) { return info.param.Name; });

TEST(DerivedAngleTest, IsNotANumberWhereItsPlaneIsNotDefined) {
    // A segment along N has no normal plane; a working plane normal along N no trace.
    EXPECT_TRUE(std::isnan(NormalRakeAngle({0, 0, 2}, kRake10, kZ)));
    EXPECT_TRUE(std::isnan(NormalClearanceAngle({0, 0, -1}, kFlank8, kZ)));
    for (const TVector3& p : {TVector3{0, 0, 3}, TVector3{}}) {
        EXPECT_TRUE(std::isnan(WorkingRakeAngle(kX, kRake10, kZ, p)));
        EXPECT_TRUE(std::isnan(WorkingClearanceAngle(kX, kFlank8, kZ, p)));
        EXPECT_TRUE(std::isnan(BackRakeAngle(kX, kRake10, kZ, p)));
        EXPECT_TRUE(std::isnan(BackClearanceAngle(kX, kFlank8, kZ, p)));
    }
    // All at once: each plane that is missing takes its own angles along, no others.
    const TDerivedAngles alongN = DerivedAngles({0, 0, 2}, kRake10, kFlank8, kZ, {-1, 0, 0});
    EXPECT_TRUE(std::isnan(alongN.Gn) && std::isnan(alongN.An) && std::isnan(alongN.Bo) &&
                std::isnan(alongN.Bn));
    EXPECT_NEAR(alongN.Gf, 10, 1e-12);
    const TDerivedAngles noPlane = DerivedAngles(kX, kRake10, kFlank8, kZ, {0, 0, 1});
    EXPECT_TRUE(std::isnan(noPlane.Gf) && std::isnan(noPlane.Af) && std::isnan(noPlane.Gp) &&
                std::isnan(noPlane.Ap) && std::isnan(noPlane.Psi));
    EXPECT_NEAR(noPlane.Bo, 72, 1e-12);
    // Just above the limit the plane is there.
    EXPECT_FALSE(std::isnan(NormalRakeAngle({1e-9, 0, 1}, kRake10, kZ)));
}

// Random segments in random frames: the edge lies in both faces (Fn and Bn at right angles
// to D), the rake face looks up, the flank away from the tool; P is any direction, so that
// it is not at right angles to N either (as in the kinematic system).
struct TRandomSegment {
    TVector3 D, Fn, Bn, N, P;
};

class TSegmentSource {
public:
    explicit TSegmentSource(std::uint64_t seed) : Engine(seed) {}

    TRandomSegment Next() {
        TRandomSegment s;
        s.N = Scaled(Direction(), 0.5 + Uniform(Engine));  // not of unit length
        const TVector3 n = Normalize(s.N);
        s.D = Scaled(Direction(), 0.1 + 3 * Uniform(Engine));
        s.P = Direction();
        const TVector3 d = Normalize(s.D);
        s.Fn = Normalize(Across(Direction(), d));
        if (Dot(s.Fn, n) < 0) {
            s.Fn = Scaled(s.Fn, -1);
        }
        s.Bn = Normalize(Across(Direction(), d));
        if (Dot(s.Bn, CrossProduct(n, d)) > 0) {
            s.Bn = Scaled(s.Bn, -1);
        }
        return s;
    }

private:
    TVector3 Direction() {
        std::normal_distribution<double> g;
        return Normalize({g(Engine), g(Engine), g(Engine)});
    }

    std::mt19937_64 Engine;
    std::uniform_real_distribution<double> Uniform{0.0, 1.0};
};

// Near-singular cases are skipped: a segment, a working-plane normal or a face within 3
// degrees of a plane that makes a tangent or cotangent infinite (sin 3 = 0.052).
bool WellConditioned(const TRandomSegment& s) {
    constexpr double kLimit = 0.06;
    const TVector3 n = Normalize(s.N);
    return geometry::VectorLength(CrossProduct(n, Normalize(s.D))) > kLimit &&
           geometry::VectorLength(CrossProduct(n, s.P)) > kLimit && Dot(s.Fn, n) > kLimit &&
           std::abs(Dot(s.Bn, n)) > kLimit;
}

// Tangents up to 1 / 0.06 compared with a relative tolerance.
void ExpectClose(double actual, double expected, const char* what, int index) {
    EXPECT_NEAR(actual, expected, 1e-9 * (1 + std::abs(expected))) << what << " case " << index;
}

double Cot(double degrees) {
    return 1.0 / Tan(degrees);
}

TEST(DerivedAngleRelationsTest, HoldOnRandomSegments) {
    TSegmentSource source(20261211);
    int used = 0;
    constexpr int kCases = 4000;
    for (int i = 0; i < kCases; ++i) {
        const TRandomSegment s = source.Next();
        if (!WellConditioned(s)) {
            continue;
        }
        ++used;
        const double go = RakeAngle(s.D, s.Fn, s.N);
        const double ao = ClearanceAngle(s.D, s.Bn, s.N);
        const double ls = InclinationAngle(s.D, s.N);
        const double kr = PlanAngle(s.D, s.P, s.N);
        const double gn = NormalRakeAngle(s.D, s.Fn, s.N);
        const double an = NormalClearanceAngle(s.D, s.Bn, s.N);
        const double gf = WorkingRakeAngle(s.D, s.Fn, s.N, s.P);
        const double af = WorkingClearanceAngle(s.D, s.Bn, s.N, s.P);
        const double gp = BackRakeAngle(s.D, s.Fn, s.N, s.P);
        const double ap = BackClearanceAngle(s.D, s.Bn, s.N, s.P);
        ExpectClose(Tan(gn), Tan(go) * Cos(ls), "tan gn", i);
        ExpectClose(Cot(an), Cot(ao) * Cos(ls), "cot an", i);
        ExpectClose(Tan(go), Tan(gf) * Sin(kr) + Tan(gp) * Cos(kr), "tan go", i);
        ExpectClose(Cot(ao), Cot(af) * Sin(kr) + Cot(ap) * Cos(kr), "cot ao", i);
        ExpectClose(ApproachAngle(s.D, s.P, s.N), 90 - kr, "psi", i);
        // The all-at-once form gives the same angles.
        const TDerivedAngles all = DerivedAngles(s.D, s.Fn, s.Bn, s.N, s.P);
        const double bo = WedgeAngle(go, ao);
        const double bn = WedgeAngle(gn, an);
        const double psi = ApproachAngle(s.D, s.P, s.N);
        const double pairs[][2] = {{all.Gn, gn}, {all.An, an}, {all.Bo, bo},
                                   {all.Bn, bn}, {all.Gf, gf}, {all.Af, af},
                                   {all.Gp, gp}, {all.Ap, ap}, {all.Psi, psi}};
        for (const auto& [batch, single] : pairs) {
            EXPECT_NEAR(batch, single, 1e-10) << i;
        }
        // The normal-plane angles keep the main-section signs: cos lambda_s is positive.
        EXPECT_EQ(std::signbit(gn), std::signbit(go)) << i;
    }
    EXPECT_GT(used, kCases / 2);
}

// The wedge angle is the angle between the traces of the two faces in its plane: the
// outward normals' parts in the plane make 180 - beta with each other.
TEST(DerivedAngleRelationsTest, WedgeAnglesAreTheAnglesBetweenTheFaceTraces) {
    TSegmentSource source(7);
    int used = 0;
    for (int i = 0; i < 3000; ++i) {
        const TRandomSegment s = source.Next();
        if (!WellConditioned(s)) {
            continue;
        }
        const TVector3 n = Normalize(s.N);
        const TVector3 d = Normalize(s.D);
        const double bo = WedgeAngle(RakeAngle(s.D, s.Fn, s.N), ClearanceAngle(s.D, s.Bn, s.N));
        const double bn =
            WedgeAngle(NormalRakeAngle(s.D, s.Fn, s.N), NormalClearanceAngle(s.D, s.Bn, s.N));
        if (!(bo > 1 && bo < 179 && bn > 1 && bn < 179)) {
            continue;  // a reflex or flat wedge has no trace angle to compare with
        }
        ++used;
        // The main section plane's normal is D's part in the basic plane; the normal
        // plane's is D.
        const TVector3 po = Normalize(Across(d, n));
        EXPECT_NEAR(VectorAngle(Across(s.Fn, po), Across(s.Bn, po)), 180 - bo, 1e-7) << i;
        EXPECT_NEAR(VectorAngle(Across(s.Fn, d), Across(s.Bn, d)), 180 - bn, 1e-7) << i;
    }
    EXPECT_GT(used, 500);
}

// Accepted systems whose normals differ from system to system.
CSValues TiltedSystems() {
    CSValues cs;
    cs.SSK.OP = Normalize({0.1, -0.2, 1});
    cs.KSK.OP = Normalize({-0.3, 0.1, 1});
    cs.FeedPlan.FP = Normalize(CrossProduct(cs.SSK.OP, {1, 0.4, 0}));
    cs.DSK.SP = Normalize({0.5, 1, 0});
    return cs;
}

TEST(AngleValueTest, DerivesEveryKindFromTheSystemsFrame) {
    TSegment segment;
    segment.Direct = {2, 1, -0.3};
    segment.Front.Normal = Normalize({0.1, 0.3, 1});
    segment.Back.Normal = Normalize({0.2, -1, -0.15});
    segment.DSK.G = 123;  // stored angles are returned as stored
    const CSValues cs = TiltedSystems();
    for (const TAngleId& id : AllAngles()) {
        const double value = AngleValue(segment, cs, id);
        if (StoredAngle(id)) {
            EXPECT_EQ(value, SegmentAngle(segment, id.System, id.Kind)) << AngleKey(id);
            continue;
        }
        const TSystemFrame frame = FrameOf(cs, id.System);
        EXPECT_EQ(value, FrameAngles(segment.Direct, segment.Front.Normal, segment.Back.Normal,
                                     frame)[static_cast<std::size_t>(id.Kind)])
            << AngleKey(id);
        EXPECT_EQ(value, AngleValues(segment, cs, id.System)[static_cast<std::size_t>(id.Kind)])
            << AngleKey(id);
        EXPECT_FALSE(std::isnan(value)) << AngleKey(id);
        if (id.System == kDSK) {
            // The dynamic system measures its derived angles as the static one does, its
            // own stored rake angle aside.
            EXPECT_EQ(value, AngleValue(segment, cs, {kSSK, id.Kind})) << AngleKey(id);
        }
    }
    // The three systems with normals of their own give different normal rake angles.
    const double isk = AngleValue(segment, cs, {kISK, kKindGn});
    const double ssk = AngleValue(segment, cs, {kSSK, kKindGn});
    const double ksk = AngleValue(segment, cs, {kKSK, kKindGn});
    EXPECT_NE(isk, ssk);
    EXPECT_NE(ssk, ksk);
    EXPECT_TRUE(std::isnan(AngleValue(segment, cs, {kISK, kKindGf})));
}

}  // namespace
}  // namespace tessarin::model
