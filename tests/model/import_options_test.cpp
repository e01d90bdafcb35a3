#include "model/import_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "model/model_check.h"
#include "model/stl_reader.h"
#include "model/surface_data.h"
#include "samples/sample_tool.h"
#include "tests/support/stl_text.h"

namespace tessarin::model {
namespace {

struct TAxisCase {
    const char* Name;
    TVector3 Axis;
    // Where (1, 2, 3) goes; NaN when the turn rounds (checked as a rotation only).
    TVector3 Image;
};

const double kRounds = std::nan("");

const std::vector<TAxisCase> kAxes{
    {"PlusZ", {0, 0, 1}, {1, 2, 3}},
    {"LongPlusZ", {0, 0, 7}, {1, 2, 3}},
    {"MinusZ", {0, 0, -1}, {1, -2, -3}},
    {"PlusX", {1, 0, 0}, {-3, 2, 1}},
    {"MinusX", {-1, 0, 0}, {3, 2, -1}},
    {"PlusY", {0, 1, 0}, {1, -3, 2}},
    {"MinusY", {0, -1, 0}, {1, 3, -2}},
    {"Oblique", {1, -2, 2}, {kRounds, 0, 0}},
    {"NearlyMinusZ", {1e-9, 2e-9, -1}, {kRounds, 0, 0}},
    {"Tiny", {1e-300, 0, 1e-300}, {kRounds, 0, 0}},
};

class AxisTurnTest : public ::testing::TestWithParam<TAxisCase> {};

TEST_P(AxisTurnTest, TakesTheAxisOntoPlusZAndIsARotation) {
    const TAxisCase& c = GetParam();
    const std::optional<TAxisTurn> turn = AxisTurn(c.Axis);
    ASSERT_TRUE(turn);
    const double length = std::hypot(c.Axis.x / 1e-300, c.Axis.y / 1e-300, c.Axis.z / 1e-300);
    const TVector3 unit{c.Axis.x / 1e-300 / length, c.Axis.y / 1e-300 / length,
                        c.Axis.z / 1e-300 / length};
    const TVector3 onto = turn->Apply(unit);
    EXPECT_NEAR(onto.x, 0.0, 1e-15);
    EXPECT_NEAR(onto.y, 0.0, 1e-15);
    EXPECT_NEAR(onto.z, 1.0, 1e-15);
    // Orthonormal with determinant +1: lengths and handedness kept, so normals stay
    // outward and the angles stay.
    const auto& m = turn->M;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double dot = m[0][i] * m[0][j] + m[1][i] * m[1][j] + m[2][i] * m[2][j];
            EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-15);
        }
    }
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    EXPECT_NEAR(det, 1.0, 1e-15);
    const TVector3 back = turn->ApplyInverse(turn->Apply({1, 2, 3}));
    EXPECT_NEAR(back.x, 1.0, 1e-14);
    EXPECT_NEAR(back.y, 2.0, 1e-14);
    EXPECT_NEAR(back.z, 3.0, 1e-14);
    if (!std::isnan(c.Image.x)) {
        EXPECT_EQ(turn->Apply({1, 2, 3}), c.Image);
    }
    EXPECT_EQ(turn->Identity, c.Axis.x == 0 && c.Axis.y == 0 && c.Axis.z > 0);
}

// The smallest rotation: a vector across both the axis and Z stays where it is.
TEST(AxisTurnTest, KeepsTheLineAcrossTheAxisAndZ) {
    const TVector3 axis{1, -2, 2};
    const TVector3 across{-2, -1, 0};  // axis x Z
    EXPECT_NEAR(AxisTurn(axis)->Apply(across).x, -2.0, 1e-15);
    EXPECT_NEAR(AxisTurn(axis)->Apply(across).y, -1.0, 1e-15);
    EXPECT_NEAR(AxisTurn(axis)->Apply(across).z, 0.0, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Axes, AxisTurnTest, ::testing::ValuesIn(kAxes),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ImportOptionsTest, ZeroOrNonFiniteAxesAndOriginsAreRefusedNamingTheFile) {
    const std::string text = test::ExactAsciiStl({{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}});
    std::vector<TImportOptions> refused(3);
    refused[0].Axis = {0, 0, 0};
    refused[1].Axis = {0, HUGE_VAL, 1};
    refused[2].Origin = TOriginChoice::Point;
    refused[2].OriginPoint = {0, std::nan(""), 0};
    for (const TImportOptions& options : refused) {
        TSurFaceData surface;
        const TResult result = surface.LoadSTLFromMemory(text, "tool.stl", options, nullptr);
        EXPECT_FALSE(result);
        EXPECT_TRUE(result.Reason().starts_with("tool.stl: tool axis") ||
                    result.Reason().starts_with("tool.stl: origin point"))
            << result.Reason();
        EXPECT_FALSE(surface.SurfaceExist);
    }
}

TEST(ImportOptionsTest, DefaultsStoreThePolygonsAndBoxBitForBitAsRead) {
    const TSurface tool = samples::GenerateSampleTool({});
    for (const std::string& text :
         {samples::AsciiStlText(tool, "tool"), test::ExactAsciiStl(tool)}) {
        TSurFaceData raw;
        ASSERT_TRUE(LoadSTLFromMemory(raw, text, "raw.stl", NullProgress(), SIZE_MAX));
        TSurFaceData imported;
        TModelCheck check;
        ASSERT_TRUE(imported.LoadSTLFromMemory(text, "in.stl", TImportOptions{}, &check));
        EXPECT_EQ(std::memcmp(raw.Polygons.data(), imported.Polygons.data(),
                              raw.Polygons.size() * sizeof(TPolygon)),
                  0);
        EXPECT_EQ(raw.Polygons.size(), imported.Polygons.size());
        EXPECT_EQ((std::vector<double>{raw.Xmin, raw.Xmax, raw.Ymin, raw.Ymax, raw.Zmin, raw.Zmax}),
                  (std::vector<double>{check.Xmin, check.Xmax, check.Ymin, check.Ymax, check.Zmin,
                                       check.Zmax}));
        EXPECT_EQ(imported.ImportOptions, TImportOptions{});
    }
}

// A facet well off the origin, each option alone; the box is the stored polygons' and
// keeps the origin inside.
TEST(ImportOptionsTest, UnitOriginAndTurnGiveTheDocumentedFrame) {
    const TPolygon facet{{10, 20, 30}, {12, 20, 30}, {10, 24, 36}, {0, 0.6, -0.8}};
    struct TFrameCase {
        const char* Name;
        TImportOptions Options;
        TPolygon Expected;
    };
    TImportOptions inch;
    inch.Unit = TLengthUnit::Inch;
    TImportOptions center;
    center.Origin = TOriginChoice::Center;
    TImportOptions point;
    point.Origin = TOriginChoice::Point;
    point.OriginPoint = {1, 2, 3};
    TImportOptions metreAlongX;  // scale, then the point (in file units), then the turn
    metreAlongX.Unit = TLengthUnit::Metre;
    metreAlongX.Origin = TOriginChoice::Point;
    metreAlongX.OriginPoint = {10, 20, 30};
    metreAlongX.Axis = {1, 0, 0};
    TImportOptions centerAlongY;  // the centre across +Y: x and z midpoints
    centerAlongY.Origin = TOriginChoice::Center;
    centerAlongY.Axis = {0, 1, 0};
    const std::vector<TFrameCase> cases{
        {"Inch", inch, {{254, 508, 762}, {304.8, 508, 762}, {254, 609.6, 914.4}, {0, 0.6, -0.8}}},
        {"Center", center, {{-1, -2, 30}, {1, -2, 30}, {-1, 2, 36}, {0, 0.6, -0.8}}},
        {"Point", point, {{9, 18, 27}, {11, 18, 27}, {9, 22, 33}, {0, 0.6, -0.8}}},
        {"MetreAlongX", metreAlongX, {{0, 0, 0}, {0, 0, 2000}, {-6000, 4000, 0}, {0.8, 0.6, 0}}},
        {"CenterAlongY", centerAlongY, {{-1, 3, 20}, {1, 3, 20}, {-1, -3, 24}, {0, 0.8, 0.6}}},
    };
    for (const TFrameCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSurFaceData surface;
        ASSERT_TRUE(
            surface.LoadSTLFromMemory(test::ExactAsciiStl({facet}), "f.stl", c.Options, nullptr));
        ASSERT_EQ(surface.Polygons.size(), 1u);
        const TPolygon& p = surface.Polygons[0];
        for (const auto& [got, want] :
             {std::pair{p.Vert1, c.Expected.Vert1}, std::pair{p.Vert2, c.Expected.Vert2},
              std::pair{p.Vert3, c.Expected.Vert3}, std::pair{p.Normal, c.Expected.Normal}}) {
            EXPECT_NEAR(got.x, want.x, 1e-9);
            EXPECT_NEAR(got.y, want.y, 1e-9);
            EXPECT_NEAR(got.z, want.z, 1e-9);
        }
        const double lows[3] = {surface.Xmin, surface.Ymin, surface.Zmin};
        const double highs[3] = {surface.Xmax, surface.Ymax, surface.Zmax};
        for (int i = 0; i < 3; ++i) {
            EXPECT_LE(lows[i], 0.0);
            EXPECT_GE(highs[i], 0.0);
        }
        EXPECT_EQ(surface.Xmax, std::max({0.0, p.Vert1.x, p.Vert2.x, p.Vert3.x}));
        EXPECT_EQ(surface.Zmin, std::min({0.0, p.Vert1.z, p.Vert2.z, p.Vert3.z}));
        EXPECT_EQ(surface.ImportOptions, c.Options);
    }
}

TEST(ImportOptionsTest, ACoordinateThatOverflowsOnScalingFailsNamingTheFacet) {
    TImportOptions metre;
    metre.Unit = TLengthUnit::Metre;
    const TSurface polygons{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                            {{0, 0, 0}, {1e306, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    TSurFaceData surface;
    const TResult result =
        surface.LoadSTLFromMemory(test::ExactAsciiStl(polygons), "big.stl", metre, nullptr);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.Reason(),
              "big.stl: facet 2: a coordinate in m is beyond the range of a double in "
              "millimetres");
    EXPECT_FALSE(surface.SurfaceExist);
}

// A model wider than the range of a double still has a middle: centred, every vertex
// stays finite and the facet keeps its place across the axis.
TEST(ImportOptionsTest, CentreOfAModelWiderThanTheRangeOfADoubleIsFinite) {
    TImportOptions center;
    center.Origin = TOriginChoice::Center;
    const TSurface polygons{{{1.5e308, 0, 0}, {-1.7e308, 4, 0}, {0, 0, 1}, {0, 0, 1}}};
    TSurFaceData surface;
    TModelCheck check;
    ASSERT_TRUE(
        surface.LoadSTLFromMemory(test::ExactAsciiStl(polygons), "wide.stl", center, &check));
    const TPolygon& p = surface.Polygons.at(0);
    EXPECT_EQ(p.Vert1, (TVector3{1.6e308, -2, 0}));
    EXPECT_EQ(p.Vert2, (TVector3{-1.6e308, 2, 0}));
    EXPECT_EQ(p.Vert3, (TVector3{-(-1.7e308 / 2 + 1.5e308 / 2), -2, 1}));
    for (const double bound : {surface.Xmin, surface.Xmax, surface.Ymin, surface.Ymax}) {
        EXPECT_TRUE(std::isfinite(bound));
    }
}

}  // namespace
}  // namespace tessarin::model
