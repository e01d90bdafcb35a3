#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "model/surface_data.h"
#include "tests/support/recording_progress.h"

namespace tessarin::model {
namespace {

using test::TRecordingProgress;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TSurFaceData Loaded(double gamma, double alpha, bool discardInt, TSurface polygons) {
    TSurFaceData data;
    data.GeometrySettings = kDefaultGeometrySettings;
    data.GeometrySettings.Gamma = gamma;
    data.GeometrySettings.Alpha = alpha;
    data.GeometrySettings.DiscardInt = discardInt;
    data.SurfaceExist = true;
    data.PolygonCount = static_cast<std::int32_t>(polygons.size());
    data.Polygons = std::move(polygons);
    return data;
}

// A triangle whose centroid projects exactly onto (cx, cy), with the given stored normal.
TPolygon Facet(double cx, double cy, TVector3 normal) {
    return {{cx - 0.5, cy - 0.25, 0}, {cx + 0.5, cy - 0.25, 0}, {cx, cy + 0.5, 1}, normal};
}

enum class TRole { Front, Back, Both, Other };

struct TNormalCase {
    const char* Name;
    double Gamma;
    double Alpha;
    TVector3 Normal;
    TRole Role;
};

class SortNormalTest : public testing::TestWithParam<TNormalCase> {};

TEST_P(SortNormalTest, StoredNormalDecidesTheSurface) {
    const TNormalCase& c = GetParam();
    const TPolygon polygon = Facet(5, 0, c.Normal);
    TSurFaceData data = Loaded(c.Gamma, c.Alpha, false, {polygon});
    data.SortSurfaces();
    const bool front = c.Role == TRole::Front || c.Role == TRole::Both;
    const bool back = c.Role == TRole::Back || c.Role == TRole::Both;
    EXPECT_EQ(data.FrontPolygons.size(), front ? 1u : 0u);
    EXPECT_EQ(data.BackPolygons.size(), back ? 1u : 0u);
    EXPECT_EQ(data.OtherPolygons.size(), c.Role == TRole::Other ? 1u : 0u);
    EXPECT_EQ(data.FrontCount, front ? 1 : 0);
    EXPECT_EQ(data.BackCount, back ? 1 : 0);
    EXPECT_EQ(data.OtherCount, c.Role == TRole::Other ? 1 : 0);
}

// The nextafter cases sit on the limits: cos 0 and sin 90 degrees are exactly 1.
INSTANTIATE_TEST_SUITE_P(
    Cases, SortNormalTest,
    testing::Values(
        TNormalCase{"UpwardIsFront", 80, 10, {0, 0, 1}, TRole::Front},
        TNormalCase{"HorizontalIsBack", 80, 10, {1, 0, 0}, TRole::Back},
        TNormalCase{"DownwardIsOther", 80, 10, {0, 0, -1}, TRole::Other},
        TNormalCase{"SteepRakeIsFront", 80, 10, {0.9, 0, 0.2}, TRole::Front},
        TNormalCase{"NearlyVerticalIsBack", 80, 10, {0.99, 0, 0.1}, TRole::Back},
        TNormalCase{"SlightlyDownwardIsBack", 80, 10, {0.99, 0, -0.1}, TRole::Back},
        TNormalCase{"NegativeZeroIsBack", 80, 10, {1, 0, -0.0}, TRole::Back},
        // Gamma + Alpha above 90 degrees: 0.15 > cos 85 and 0.15 < sin 10.
        TNormalCase{"BothFrontAndBack", 85, 10, {0.98, 0, 0.15}, TRole::Both},
        TNormalCase{"NoFlankWithoutAlpha", 80, 0, {1, 0, 0}, TRole::Other},
        TNormalCase{"NoFlankWithNegativeAlpha", 80, -10, {1, 0, 0}, TRole::Other},
        TNormalCase{"AtTheFlankLimitIsNotBack", 0, 90, {0, 0, 1}, TRole::Other},
        TNormalCase{"AtMinusTheFlankLimitIsNotBack", 0, 90, {0, 0, -1}, TRole::Other},
        TNormalCase{
            "JustInsideTheFlankLimitIsBack", 0, 90, {0, 0, std::nextafter(1.0, 0.0)}, TRole::Back},
        TNormalCase{"AtTheRakeLimitIsNotFront", 0, 10, {0, 0, 1}, TRole::Other},
        TNormalCase{
            "BeyondTheRakeLimitIsFront", 0, 10, {0, 0, std::nextafter(1.0, 2.0)}, TRole::Front},
        // The normal is tested as stored, not normalised.
        TNormalCase{"ShortNormalSteepLimitIsFront", 70, 10, {0, 0, 0.5}, TRole::Front},
        TNormalCase{"ShortNormalFlatLimitIsOther", 50, 10, {0, 0, 0.5}, TRole::Other},
        TNormalCase{"NotANumberIsOther", 80, 10, {1, 0, kNaN}, TRole::Other}),
    [](const testing::TestParamInfo<TNormalCase>& info) { return info.param.Name; });

// Flank polygons facing away from the axis ('E') or towards it ('I'), numbered in
// the order of Polygons; the first polygon of the model faces down and is other.
struct TDiscardCase {
    const char* Pattern;
    std::vector<int> Back;       // flank polygons left, in list order
    std::vector<int> Discarded;  // appended to the other list, in this order
};

class DiscardOrderTest : public testing::TestWithParam<TDiscardCase> {};

TEST_P(DiscardOrderTest, DiscardedSlotTakesTheLastFlankPolygon) {
    const TDiscardCase& c = GetParam();
    const std::string pattern = c.Pattern;
    const TPolygon down = Facet(0, 9, {0, 0, -1});
    TSurface polygons{down};
    std::vector<TPolygon> flank;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        const double outward = pattern[k] == 'E' ? 1.0 : -1.0;
        flank.push_back(Facet(10.0 + static_cast<double>(k), 0, {outward, 0, 0}));
        polygons.push_back(flank.back());
    }
    TSurFaceData data = Loaded(80, 10, true, polygons);
    data.SortSurfaces();

    TSurface back;
    for (int k : c.Back) {
        back.push_back(flank[static_cast<std::size_t>(k)]);
    }
    TSurface other{down};
    for (int k : c.Discarded) {
        other.push_back(flank[static_cast<std::size_t>(k)]);
    }
    EXPECT_EQ(data.BackPolygons, back);
    EXPECT_EQ(data.OtherPolygons, other);
    EXPECT_EQ(data.BackCount, static_cast<std::int32_t>(back.size()));
    EXPECT_EQ(data.OtherCount, static_cast<std::int32_t>(other.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, DiscardOrderTest,
    testing::Values(TDiscardCase{"EEE", {0, 1, 2}, {}}, TDiscardCase{"IEE", {2, 1}, {0}},
                    TDiscardCase{"EEI", {0, 1}, {2}}, TDiscardCase{"IEI", {1}, {0, 2}},
                    TDiscardCase{"IEIE", {3, 1}, {0, 2}}, TDiscardCase{"EIEI", {0, 2}, {1, 3}},
                    TDiscardCase{"III", {}, {0, 2, 1}}),
    [](const testing::TestParamInfo<TDiscardCase>& info) {
        return std::string(info.param.Pattern);
    });

TEST(DiscardInternalTest, UndefinedAnglesCountAsFacingTheAxis) {
    struct TCase {
        const char* Name;
        TPolygon Polygon;
        bool Stays;
    };
    const std::vector<TCase> cases{
        {"Outward", Facet(5, 0, {1, 0, 0}), true},
        {"Inward", Facet(5, 0, {-1, 0, 0}), false},
        // Exactly a right angle between centroid direction and normal: stays.
        {"Tangential", Facet(5, 0, {0, 1, 0}), true},
        {"SlightlyInward", Facet(5, 0, {-0.01, 1, 0}), false},
        // No horizontal normal part: 0/0 and a NaN angle.
        {"NoHorizontalNormal", Facet(5, 0, {0, 0, 0.01}), false},
        // Centroid (0, 0) on the axis.
        {"CentroidOnTheAxis", {{-1, -1, 0}, {1, -1, 0}, {0, 2, 1}, {1, 0, 0}}, false},
        // Centroid exactly (0.3, 0.5) and the normal along it: the rounded cosine is
        // 1 + 2^-52, and the angle 0, not undefined. Pointing at the axis it is internal.
        {"NormalStraightAwayFromTheAxis",
         {{0.3, 0.5, 0}, {0.3, 0.5, 1}, {0.3, 0.5, 2}, {0.3, 0.5, 0}},
         true},
        {"NormalStraightAtTheAxis",
         {{0.3, 0.5, 0}, {0.3, 0.5, 1}, {0.3, 0.5, 2}, {-0.3, -0.5, 0}},
         false},
        {"NotFiniteCentroid", Facet(std::numeric_limits<double>::infinity(), 0, {1, 0, 0}), false},
    };
    for (const TCase& c : cases) {
        TSurFaceData data = Loaded(80, 10, true, {c.Polygon});
        data.SortSurfaces();
        EXPECT_EQ(data.BackCount, c.Stays ? 1 : 0) << c.Name;
        EXPECT_EQ(data.OtherCount, c.Stays ? 0 : 1) << c.Name;
    }
}

TEST(DiscardInternalTest, BoreWallGoesToOtherAndOuterFlankStays) {
    // A ring of flank facets at radius 10 facing out and one at radius 3 facing in.
    TSurface polygons;
    for (int k = 0; k < 24; ++k) {
        const double a = k * 2 * std::numbers::pi / 24;
        const TVector3 out{std::cos(a), std::sin(a), 0};
        polygons.push_back(Facet(10 * out.x, 10 * out.y, out));
        polygons.push_back(Facet(3 * out.x, 3 * out.y, {-out.x, -out.y, 0}));
    }
    TSurFaceData kept = Loaded(80, 10, false, polygons);
    kept.SortSurfaces();
    EXPECT_EQ(kept.BackCount, 48);

    TSurFaceData data = Loaded(80, 10, true, polygons);
    data.SortSurfaces();
    EXPECT_EQ(data.BackCount, 24);
    EXPECT_EQ(data.OtherCount, 24);
    for (const TPolygon& p : data.BackPolygons) {
        EXPECT_GT(p.Normal.x * p.Vert1.x + p.Normal.y * p.Vert1.y, 0.0);
    }
}

TEST(SortSurfacesTest, ModelWithoutPolygonsSortsIntoEmptyLists) {
    TSurFaceData data = Loaded(80, 10, true, {});
    TRecordingProgress progress;
    data.SortSurfaces(progress);
    EXPECT_TRUE(data.SurfaceSorted);
    EXPECT_TRUE(data.Modified);
    EXPECT_TRUE(data.FrontPolygons.empty());
    EXPECT_TRUE(data.BackPolygons.empty());
    EXPECT_TRUE(data.OtherPolygons.empty());
    EXPECT_EQ(data.FrontCount + data.BackCount + data.OtherCount, 0);
    ASSERT_FALSE(progress.Starts.empty());
    for (const auto& start : progress.Starts) {
        EXPECT_GE(start.Maximum, 0) << start.Text;
    }
    EXPECT_EQ(progress.Open, 0);
    EXPECT_EQ(progress.KeepAlives, 0) << "every step counts";
}

TEST(SortSurfacesTest, ReportsBothPassesAndStepsInBatches) {
    // Enough polygons for a few batches: stepping per polygon would call Step
    // tens of thousands of times.
    const int count = 3 * kProgressBatch + 5;
    TSurFaceData data = Loaded(80, 10, true, TSurface(count, Facet(5, 0, {1, 0, 0})));
    TRecordingProgress progress;
    data.SortSurfaces(progress);
    ASSERT_EQ(progress.Starts.size(), 2u);
    EXPECT_EQ(progress.Starts[0].Text, "Сортировка поверхностей >>");
    EXPECT_EQ(progress.Starts[0].Maximum, count - 1);
    EXPECT_EQ(progress.Starts[1].Text, "Исключение внутренних полигонов");
    EXPECT_EQ(progress.Starts[1].Maximum, 0);
    EXPECT_EQ(progress.Open, 0);
    EXPECT_LE(progress.StepCalls, 12);
    EXPECT_EQ(progress.KeepAlives, 0) << "every step counts";
    EXPECT_EQ(data.BackCount, count);

    // Without the discard pass only the first is reported.
    TSurFaceData plain = Loaded(80, 10, false, {Facet(5, 0, {-1, 0, 0})});
    TRecordingProgress plainProgress;
    plain.SortSurfaces(plainProgress);
    ASSERT_EQ(plainProgress.Starts.size(), 1u);
    EXPECT_EQ(plainProgress.Starts[0].Maximum, 0);
    EXPECT_EQ(plainProgress.KeepAlives, 0);
    EXPECT_EQ(plain.BackCount, 1);  // facing the axis, but kept
}

TEST(SortSurfacesTest, ListsKeepTheModelOrderAndSortingAgainReplacesThem) {
    const TSurface polygons{Facet(1, 0, {0, 0, 1}),    Facet(2, 0, {1, 0, 0}),
                            Facet(3, 0, {0, 0, -1}),   Facet(4, 0, {0, 0, 0.9}),
                            Facet(5, 0, {1, 0, 0.05}), Facet(6, 0, {0, 0, -0.5})};
    TSurFaceData data = Loaded(80, 10, false, polygons);
    data.SortSurfaces();
    EXPECT_EQ(data.FrontPolygons, (TSurface{polygons[0], polygons[3]}));
    EXPECT_EQ(data.BackPolygons, (TSurface{polygons[1], polygons[4]}));
    EXPECT_EQ(data.OtherPolygons, (TSurface{polygons[2], polygons[5]}));
    EXPECT_EQ(data.Polygons, polygons);

    data.SortSurfaces();
    EXPECT_EQ(data.FrontPolygons.size(), 2u);
    EXPECT_EQ(data.BackCount, 2);
    EXPECT_EQ(data.OtherCount, 2);
}

}  // namespace
}  // namespace tessarin::model
