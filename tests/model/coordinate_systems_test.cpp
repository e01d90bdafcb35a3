#include "model/coordinate_systems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/angles.h"
#include "model/model.h"

namespace tessarin::model {
namespace {

using geometry::Normalize;
using geometry::VectorLength;

constexpr double kTolerance = 1e-6;

void ExpectNear(const TVector3& actual, const TVector3& expected, double tolerance = kTolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A model whose cutting edge has one segment per direction. Only Direct matters to the
// coordinate systems.
TModel ModelWithSegments(const std::vector<TVector3>& directions) {
    TModel model(',');
    for (const TVector3& direct : directions) {
        TSegment segment;
        segment.Direct = direct;
        segment.Number = static_cast<std::int32_t>(model.CutEdge.size() + 1);
        model.CutEdge.push_back(segment);
    }
    model.SegmentCount = static_cast<std::int32_t>(directions.size());
    model.CutEdgeExist = !directions.empty();
    return model;
}

enum class TPreview { SSK, FeedPlan, KSK, DSK };

struct TPreviewCase {
    const char* Name;
    TPreview Kind;
    double Angle1;
    double Angle2;  // Mu of the static system
    TVector3 Expected;
};

// Accepted static normal (0, 0, 1), working plane (0, 1, 0), main segment along x.
class PreviewVectorTest : public testing::TestWithParam<TPreviewCase> {};

TEST_P(PreviewVectorTest, ComputesTheWorkingVectorFromTheAcceptedValues) {
    const TPreviewCase& c = GetParam();
    TModel model = ModelWithSegments({{1, 0, 0}});
    model.AcceptedCS.SSK.OP = {0, 0, 1};
    model.AcceptedCS.FeedPlan.FP = {0, 1, 0};
    // Working values that would give different vectors: a preview must build on the
    // accepted record only.
    model.WorkingCS.SSK.OP = {1, 0, 0};
    model.WorkingCS.FeedPlan.FP = {0, 0, 1};
    TVector3 actual;
    switch (c.Kind) {
        case TPreview::SSK:
            model.PreviewSSK(c.Angle1, c.Angle2);
            actual = model.WorkingCS.SSK.OP;
            EXPECT_EQ(model.WorkingCS.SSK.GN, c.Angle1);
            EXPECT_EQ(model.WorkingCS.SSK.Mu, c.Angle2);
            break;
        case TPreview::FeedPlan:
            ASSERT_TRUE(model.PreviewFeedPlan(c.Angle1));
            actual = model.WorkingCS.FeedPlan.FP;
            EXPECT_EQ(model.WorkingCS.FeedPlan.Phi, c.Angle1);
            break;
        case TPreview::KSK:
            model.PreviewKSK(c.Angle1);
            actual = model.WorkingCS.KSK.OP;
            EXPECT_EQ(model.WorkingCS.KSK.Eta, c.Angle1);
            break;
        case TPreview::DSK:
            model.PreviewDSK(c.Angle1);
            actual = model.WorkingCS.DSK.SP;
            EXPECT_EQ(model.WorkingCS.DSK.Nu, c.Angle1);
            break;
    }
    ExpectNear(actual, c.Expected);
    EXPECT_TRUE(model.SurfaceData.Modified);
    EXPECT_EQ(model.AcceptedCS.SSK.OP, (TVector3{0, 0, 1}));
    EXPECT_EQ(model.AcceptedCS.FeedPlan.FP, (TVector3{0, 1, 0}));
    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{}));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PreviewVectorTest,
    testing::Values(
        TPreviewCase{"StaticUntilted", TPreview::SSK, 0, 0, {0, 0, 1}},
        TPreviewCase{"StaticUntiltedAnyAzimuth", TPreview::SSK, 0, 137, {0, 0, 1}},
        TPreviewCase{"StaticTippedTowardsY", TPreview::SSK, 10, 90, {0, 0.173648, 0.984808}},
        TPreviewCase{
            "StaticTippedBackwards", TPreview::SSK, -10, 30, {-0.150384, -0.086824, 0.984808}},
        TPreviewCase{"WorkingPlaneAtRightAngles", TPreview::FeedPlan, 0, 0, {0, 1, 0}},
        TPreviewCase{"WorkingPlanePlus30", TPreview::FeedPlan, 30, 0, {-0.5, 0.866025, 0}},
        TPreviewCase{"WorkingPlaneMinus30", TPreview::FeedPlan, -30, 0, {0.5, 0.866025, 0}},
        TPreviewCase{"KinematicTilted", TPreview::KSK, 10, 0, {-0.176327, 0, 1}},
        TPreviewCase{"KinematicUntilted", TPreview::KSK, 0, 0, {0, 0, 1}},
        TPreviewCase{"SectionPlane45", TPreview::DSK, 45, 0, {0.707107, 0.707107, 0}},
        TPreviewCase{"SectionPlaneIsWorkingPlane", TPreview::DSK, 0, 0, {0, 1, 0}}),
    [](const testing::TestParamInfo<TPreviewCase>& info) { return std::string(info.param.Name); });

TEST(PreviewKSKTest, KinematicNormalKeepsItsLengthOfOneOverCosEta) {
    TModel model = ModelWithSegments({{1, 0, 0}});
    model.AcceptedCS.FeedPlan.FP = {0, 1, 0};
    model.PreviewKSK(10);
    EXPECT_NEAR(VectorLength(model.WorkingCS.KSK.OP), 1.015427, kTolerance);
    EXPECT_NEAR(geometry::VectorAngle(model.WorkingCS.KSK.OP, {0, 0, 1}), 10.0, 1e-9);
    // 90 degrees: the tangent of the nearest double to pi/2 is huge but finite.
    model.PreviewKSK(90);
    EXPECT_LT(model.WorkingCS.KSK.OP.x, -1e15);
    EXPECT_TRUE(std::isfinite(model.WorkingCS.KSK.OP.x));
    EXPECT_EQ(model.WorkingCS.KSK.OP.z, 1.0);
}

// On a tilted static plane the working plane must still stand on the basic plane and
// make the plan angle |Phi| with the main segment, whatever the segment's slope.
TEST(PreviewFeedPlanTest, WorkingPlaneStandsOnATiltedStaticPlane) {
    const TVector3 direct{1, 0.3, -0.2};
    for (const double phi : {0.0, 30.0, -30.0, 75.0}) {
        TModel model = ModelWithSegments({{0, 1, 0}, direct});
        model.PreviewSSK(20, 40);
        model.AcceptSSK();
        model.WorkingCS.FeedPlan.HCE = 1;
        ASSERT_TRUE(model.PreviewFeedPlan(phi));
        const TVector3 fp = model.WorkingCS.FeedPlan.FP;
        EXPECT_NEAR(Dot(fp, model.AcceptedCS.SSK.OP), 0.0, 1e-12) << phi;
        EXPECT_NEAR(VectorLength(fp), 1.0, 1e-12) << phi;
        // Near 0 degrees arccos resolves only to about 1e-6 degrees.
        EXPECT_NEAR(PlanAngle(direct, fp, model.AcceptedCS.SSK.OP), std::fabs(phi), 1e-5) << phi;
        EXPECT_EQ(model.WorkingCS.FeedPlan.HCE, 1);
    }
}

TEST(RotTest, TurnsRightHandedAboutAUnitAxis) {
    const double quarter = 90.0 * kRadiansPerDegree;
    ExpectNear(Rot({1, 0, 0}, {0, 0, 1}, quarter), {0, 1, 0}, 1e-15);
    ExpectNear(Rot({1, 0, 0}, {0, 0, 1}, -quarter), {0, -1, 0}, 1e-15);
    // The component along the axis is kept.
    ExpectNear(Rot({1, 0, 2}, {0, 0, 1}, quarter), {0, 1, 2}, 1e-15);
}

// --- Accept operations ---------------------------------------------------------------

// A working record that differs from the accepted one in every field.
CSValues DistinctWorkingValues() {
    CSValues values;
    values.SSK = {{0.1, 0.2, 0.97}, 12, 34};
    values.KSK = {{-0.2, 0, 1}, 11};
    values.DSK = {{0.6, 0.8, 0}, -20};
    values.FeedPlan = {{0, 0.6, 0.8}, 15, 1};
    return values;
}

struct TAcceptCase {
    const char* Name;
    void (TModel::*Accept)();
    int Flag;
};

class AcceptTest : public testing::TestWithParam<TAcceptCase> {};

TEST_P(AcceptTest, CopiesOneSubRecordAndSetsOnlyItsFlag) {
    const TAcceptCase& c = GetParam();
    TModel model = ModelWithSegments({{1, 0, 0}, {0, 1, 0}});
    model.WorkingCS = DistinctWorkingValues();
    const CSValues before = model.AcceptedCS;
    (model.*c.Accept)();

    CSValues expected = before;
    switch (c.Flag) {
        case kExistedSSK:
            expected.SSK = model.WorkingCS.SSK;
            // The kinematic normal follows the static one; its Eta stays.
            expected.KSK.OP = model.WorkingCS.SSK.OP;
            break;
        case kExistedKSK:
            expected.KSK = model.WorkingCS.KSK;
            break;
        case kExistedDSK:
            expected.DSK = model.WorkingCS.DSK;
            break;
        default:
            expected.FeedPlan = model.WorkingCS.FeedPlan;
            break;
    }
    EXPECT_EQ(model.AcceptedCS, expected);
    EXPECT_EQ(model.WorkingCS, DistinctWorkingValues());
    std::array<bool, 4> flags{};
    flags[static_cast<std::size_t>(c.Flag)] = true;
    EXPECT_EQ(model.ExistedCS, flags);
    EXPECT_TRUE(model.SurfaceData.Modified);
}

INSTANTIATE_TEST_SUITE_P(
    EachSystem, AcceptTest,
    testing::Values(TAcceptCase{"Static", &TModel::AcceptSSK, kExistedSSK},
                    TAcceptCase{"Kinematic", &TModel::AcceptKSK, kExistedKSK},
                    TAcceptCase{"Dynamic", &TModel::AcceptDSK, kExistedDSK},
                    TAcceptCase{"WorkingPlane", &TModel::AcceptFeedPlan, kExistedFeedPlan}),
    [](const testing::TestParamInfo<TAcceptCase>& info) { return std::string(info.param.Name); });

TEST(AcceptStaticSystemTest, OnAFreshModelDefinesStaticDynamicAndWorkingPlane) {
    TModel model = ModelWithSegments({{1, 0, 0}});
    model.PreviewSSK(10, 90);
    ASSERT_TRUE(model.AcceptStaticSystem());

    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{true, false, true, true}));
    const TVector3 n = model.AcceptedCS.SSK.OP;
    ExpectNear(n, {0, 0.173648, 0.984808});
    EXPECT_EQ(model.AcceptedCS.KSK.OP, n);
    EXPECT_EQ(model.WorkingCS.KSK.OP, n);
    // The working plane is rebuilt on the new static normal with Phi 0 at segment 0 ...
    const TFeedPlanValues& plane = model.AcceptedCS.FeedPlan;
    EXPECT_EQ(plane.Phi, 0.0);
    EXPECT_EQ(plane.HCE, 0);
    EXPECT_NEAR(Dot(plane.FP, n), 0.0, 1e-12);
    EXPECT_NEAR(Dot(plane.FP, {1, 0, 0}), 0.0, 1e-12);
    // ... and the section plane is the working plane turned by Nu 45 about it.
    EXPECT_EQ(model.AcceptedCS.DSK.Nu, 45.0);
    ExpectNear(model.AcceptedCS.DSK.SP, Normalize(Rot(plane.FP, n, -45.0 * kRadiansPerDegree)));
    EXPECT_NEAR(Dot(model.AcceptedCS.DSK.SP, n), 0.0, 1e-12);
    EXPECT_EQ(model.WorkingCS.FeedPlan, plane);
    EXPECT_EQ(model.WorkingCS.DSK, model.AcceptedCS.DSK);
    EXPECT_TRUE(model.SurfaceData.Modified);
}

TEST(AcceptStaticSystemTest, KeepsStoredAnglesAndResetsTheKinematicNormal) {
    // Main segment 1 of two, working plane at 30 degrees, section plane at 20, and an
    // accepted kinematic system with Eta 10.
    TModel model = ModelWithSegments({{0, 1, 0}, {1, 0, 0}});
    model.AcceptedCS.FeedPlan.FP = {0, 1, 0};
    model.AcceptedCS.FeedPlan.Phi = 30;
    model.WorkingCS.FeedPlan.HCE = 1;
    model.AcceptedCS.DSK.Nu = 20;
    model.PreviewKSK(10);
    model.AcceptKSK();
    const TVector3 tiltedKinematic = model.AcceptedCS.KSK.OP;

    model.PreviewSSK(0, 0);
    ASSERT_TRUE(model.AcceptStaticSystem());

    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(model.AcceptedCS.KSK.Eta, 10.0);
    EXPECT_EQ(model.WorkingCS.KSK.Eta, 10.0);
    EXPECT_NE(tiltedKinematic, model.AcceptedCS.KSK.OP);
    EXPECT_EQ(model.AcceptedCS.KSK.OP, (TVector3{0, 0, 1}));
    EXPECT_EQ(model.WorkingCS.KSK.OP, (TVector3{0, 0, 1}));
    // Rebuilt with the stored angles at the working main segment: the working plane at
    // 120 degrees from x, the section plane turned back from it by Nu.
    EXPECT_EQ(model.AcceptedCS.FeedPlan.HCE, 1);
    EXPECT_EQ(model.AcceptedCS.FeedPlan.Phi, 30.0);
    ExpectNear(model.AcceptedCS.FeedPlan.FP, {-0.5, 0.866025, 0});
    EXPECT_EQ(model.AcceptedCS.DSK.Nu, 20.0);
    ExpectNear(model.AcceptedCS.DSK.SP,
               {std::cos(100.0 * kRadiansPerDegree), std::sin(100.0 * kRadiansPerDegree), 0});
}

// --- A main segment that is not on the cutting edge ----------------------------------

struct TMainSegmentCase {
    const char* Name;
    int Segments;
    std::int32_t HCE;
};

class MainSegmentOffEdgeTest : public testing::TestWithParam<TMainSegmentCase> {
protected:
    TModel PreparedModel() const {
        std::vector<TVector3> directions(static_cast<std::size_t>(GetParam().Segments),
                                         TVector3{1, 0, 0});
        TModel model = ModelWithSegments(directions);
        model.WorkingCS = DistinctWorkingValues();
        model.WorkingCS.FeedPlan.HCE = GetParam().HCE;
        return model;
    }
};

TEST_P(MainSegmentOffEdgeTest, PreviewFeedPlanRefusesAndChangesNothing) {
    TModel model = PreparedModel();
    const CSValues working = model.WorkingCS;
    const CSValues accepted = model.AcceptedCS;
    const TResult result = model.PreviewFeedPlan(30);
    EXPECT_FALSE(result);
    EXPECT_NE(result.Reason().find(std::to_string(GetParam().HCE)), std::string::npos)
        << result.Reason();
    EXPECT_EQ(model.WorkingCS, working);
    EXPECT_EQ(model.AcceptedCS, accepted);
    EXPECT_FALSE(model.SurfaceData.Modified);
}

TEST_P(MainSegmentOffEdgeTest, AcceptStaticSystemRefusesBeforeAcceptingAnything) {
    TModel model = PreparedModel();
    const CSValues working = model.WorkingCS;
    const CSValues accepted = model.AcceptedCS;
    EXPECT_FALSE(model.AcceptStaticSystem());
    EXPECT_EQ(model.WorkingCS, working);
    EXPECT_EQ(model.AcceptedCS, accepted);
    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{}));
    EXPECT_FALSE(model.SurfaceData.Modified);
}

INSTANTIATE_TEST_SUITE_P(Indices, MainSegmentOffEdgeTest,
                         testing::Values(TMainSegmentCase{"OneBeyondTheLast", 3, 3},
                                         TMainSegmentCase{"FromALongerEdge", 3, 41},
                                         TMainSegmentCase{"Negative", 3, -1},
                                         TMainSegmentCase{"NoSegmentsAtAll", 0, 0}),
                         [](const testing::TestParamInfo<TMainSegmentCase>& info) {
                             return std::string(info.param.Name);
                         });

}  // namespace
}  // namespace tessarin::model
