#include "geometry/vector3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace tessarin::geometry {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(SamePointTest, ToleranceIsAnAxisAlignedBoxOpenAtExactlyOneThousandth) {
    EXPECT_TRUE(SamePoint({0, 0, 0}, {0.0009, 0, 0}));
    EXPECT_FALSE(SamePoint({0, 0, 0}, {0.001, 0, 0}));
    EXPECT_FALSE(SamePoint({0, 0, 0}, {0, -0.001, 0}));
    EXPECT_FALSE(SamePoint({0, 0, 0}, {0, 0, 0.001}));
    // A box, not a sphere: 0.0009 in every coordinate is still the same point.
    EXPECT_TRUE(SamePoint({0, 0, 0}, {0.0009, 0.0009, 0.0009}));
}

TEST(SamePointTest, NotANumberDifferenceCountsAsEqual) {
    EXPECT_TRUE(SamePoint({kNaN, 1, 2}, {5, 1, 2}));
    EXPECT_FALSE(SamePoint({kNaN, 1, 2}, {5, 1, 3}));
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(SamePoint({inf, 0, 0}, {inf, 0, 0}));  // inf - inf is NaN
    EXPECT_FALSE(SamePoint({inf, 0, 0}, {0, 0, 0}));
}

TEST(VectorAngleTest, DegreesWithClampedCosine) {
    EXPECT_DOUBLE_EQ(VectorAngle({1, 0, 0}, {1, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(VectorAngle({1, 0, 0}, {-2, 0, 0}), 180.0);
    EXPECT_DOUBLE_EQ(VectorAngle({1, 0, 0}, {0, 0, 5}), 90.0);
    // 0/0 is NaN, which the clamp turns into -1.
    EXPECT_DOUBLE_EQ(VectorAngle({0, 0, 0}, {1, 0, 0}), 180.0);
    // Nearly parallel vectors whose cosine rounds above 1 give 0, not NaN.
    EXPECT_EQ(VectorAngle({1, 1e-9, 0}, {1, 1e-9, 0}), 0.0);
}

TEST(Angle2DTest, RadiansWithoutClamping) {
    EXPECT_DOUBLE_EQ(Angle2D({1, 0}, {0, 1}), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(Angle2D({1, 0}, {-1, 0}), std::numbers::pi);
    EXPECT_TRUE(std::isnan(Angle2D({0, 0}, {1, 0})));
}

TEST(VectorArithmeticTest, BasicOperations) {
    EXPECT_EQ(VectorFromTo({1, 2, 3}, {4, 6, 3}), (TVector3{3, 4, 0}));
    EXPECT_DOUBLE_EQ(VectorLength(VectorFromTo({1, 2, 3}, {4, 6, 3})), 5.0);
    EXPECT_EQ(CrossProduct({1, 0, 0}, {0, 1, 0}), (TVector3{0, 0, 1}));
    EXPECT_EQ(CrossProduct({0, 1, 0}, {1, 0, 0}), (TVector3{0, 0, -1}));
    EXPECT_EQ(Normalize({3, 0, 4}), (TVector3{0.6, 0, 0.8}));
    EXPECT_EQ(MovePoint({1, 2, 3}, {-1, 0.5, 2}), (TVector3{0, 2.5, 5}));
}

TEST(VectorArithmeticTest, NormalizeOfZeroVectorIsNotANumber) {
    const TVector3 n = Normalize({0, 0, 0});
    EXPECT_TRUE(std::isnan(n.x) && std::isnan(n.y) && std::isnan(n.z));
    const TVector3 inf = Normalize({std::numeric_limits<double>::infinity(), 0, 0});
    EXPECT_TRUE(std::isnan(inf.x));
}

}  // namespace
}  // namespace tessarin::geometry
