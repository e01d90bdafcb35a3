// The import in two halves (read once, then options applied to what was read) must store
// exactly what LoadSTL with the same options stores, and the check without storing must
// give the same model check.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "model/import_options.h"
#include "model/model_check.h"
#include "model/stl_import.h"
#include "model/surface_data.h"
#include "samples/sample_tool.h"
#include "tests/support/fixtures.h"
#include "tests/support/same_bits.h"
#include "tests/support/stl_text.h"
#include "tests/support/temp_dir.h"

namespace tessarin::model {
namespace {

struct TCase {
    const char* Name;
    TImportOptions Options;
};

TImportOptions With(TLengthUnit unit, TVector3 axis, TOriginChoice origin, TVector3 point = {},
                    bool repair = true, bool keep = false) {
    TImportOptions options;
    options.Unit = unit;
    options.Axis = axis;
    options.Origin = origin;
    options.OriginPoint = point;
    options.RepairNormals = repair;
    options.KeepDuplicates = keep;
    return options;
}

const std::vector<TCase>& Cases() {
    static const std::vector<TCase> cases = {
        {"defaults", TImportOptions{}},
        {"inch", With(TLengthUnit::Inch, {0, 0, 1}, TOriginChoice::Keep)},
        {"minus_x_centre", With(TLengthUnit::Millimetre, {-1, 0, 0}, TOriginChoice::Center)},
        {"vector_point_metre",
         With(TLengthUnit::Metre, {0.3, -0.2, 0.9}, TOriginChoice::Point, {0.01, 0.02, -0.03})},
        {"minus_z_keep_all",
         With(TLengthUnit::Micrometre, {0, 0, -1}, TOriginChoice::Keep, {}, false, true)},
    };
    return cases;
}

void ExpectSameSurface(const TSurFaceData& actual, const TSurFaceData& expected) {
    ASSERT_EQ(actual.Polygons.size(), expected.Polygons.size());
    for (std::size_t i = 0; i < actual.Polygons.size(); ++i) {
        ASSERT_TRUE(test::SameBits(actual.Polygons[i], expected.Polygons[i])) << "facet " << i;
    }
    EXPECT_EQ(actual.PolygonCount, expected.PolygonCount);
    EXPECT_TRUE(actual.SurfaceExist);
    for (const auto& [a, b] : {std::pair{actual.Xmin, expected.Xmin},
                               {actual.Xmax, expected.Xmax},
                               {actual.Ymin, expected.Ymin},
                               {actual.Ymax, expected.Ymax},
                               {actual.Zmin, expected.Zmin},
                               {actual.Zmax, expected.Zmax}}) {
        EXPECT_TRUE(test::SameBits(a, b)) << a << " " << b;
    }
    EXPECT_EQ(actual.ImportOptions, expected.ImportOptions);
}

// Files with faults the repairs see (every facet twice, zero normals) and a generated tool.
TEST(StlImport, SplitImportStoresWhatLoadSTLStores) {
    test::TTempDir folder;
    const std::string tool = folder.File("tool.stl");
    ASSERT_TRUE(samples::WriteStl(samples::GenerateSampleTool(samples::LayoutForFacets(2000)),
                                  samples::TStlFormat::Binary, "tool", tool));
    for (const std::string& path :
         {tool, test::FixturePath("stl/tetrahedron_every_facet_twice.stl"),
          test::FixturePath("stl/tetrahedron_zero_normals.stl")}) {
        TSurface read;
        const TResult first = ReadStlPolygons(path, read);
        ASSERT_TRUE(first) << first.Reason();
        for (const TCase& c : Cases()) {
            SCOPED_TRACE(path + " " + c.Name);
            TSurFaceData expected;
            TModelCheck expectedCheck;
            ASSERT_TRUE(expected.LoadSTL(path, c.Options, &expectedCheck));

            TSurFaceData actual;
            TModelCheck actualCheck;
            ASSERT_TRUE(ImportPolygons(actual, read, path, c.Options, &actualCheck));
            ExpectSameSurface(actual, expected);
            EXPECT_EQ(actualCheck, expectedCheck);
            EXPECT_TRUE(actual.Modified);

            TModelCheck checkOnly;
            ASSERT_TRUE(CheckPolygons(read, path, c.Options, checkOnly));
            EXPECT_EQ(checkOnly, expectedCheck);
        }
    }
}

TEST(StlImport, FailuresNameTheFileAndLeaveNoGeometry) {
    TSurface read;
    const std::string broken = test::FixturePath("stl/bad_number_in_last_facet.stl");
    const TResult failed = ReadStlPolygons(broken, read);
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.Reason().find("bad_number_in_last_facet.stl"), std::string::npos);
    EXPECT_TRUE(read.empty());

    ASSERT_TRUE(ReadStlPolygons(test::FixturePath("stl/ascii_single_facet.stl"), read));
    TSurFaceData surface;
    surface.Xmax = 7.0;
    TImportOptions zeroAxis;
    zeroAxis.Axis = {0, 0, 0};
    const TResult refused = ImportPolygons(surface, read, "single.stl", zeroAxis, nullptr);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Reason().rfind("single.stl: tool axis", 0), 0u) << refused.Reason();
    EXPECT_FALSE(surface.SurfaceExist);
    EXPECT_TRUE(surface.Polygons.empty());
    EXPECT_EQ(surface.Xmax, 7.0);
    EXPECT_TRUE(surface.Modified);
}

// Stored polygons taken back to their file's frame and imported again with the same
// options give the stored ones again, to rounding; with Center, the model comes back
// centred whatever its offset in the file was.
TEST(StlImport, UndoToolFrameInvertsTheImport) {
    const TSurface tool = samples::GenerateSampleTool(samples::LayoutForFacets(1000));
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        TSurFaceData stored;
        ASSERT_TRUE(ImportPolygons(stored, tool, "tool", c.Options, nullptr));
        TSurface back = stored.Polygons;
        UndoToolFrame(back, c.Options);
        TSurFaceData again;
        ASSERT_TRUE(ImportPolygons(again, back, "tool", c.Options, nullptr));
        ASSERT_EQ(again.Polygons.size(), stored.Polygons.size());
        // Each coordinate goes through a scale, a shift and a turn and back: a few
        // roundings of the model's size.
        const double size = std::max(
            {stored.Xmax - stored.Xmin, stored.Ymax - stored.Ymin, stored.Zmax - stored.Zmin});
        const double tolerance = 1e-12 * size;
        for (std::size_t i = 0; i < stored.Polygons.size(); ++i) {
            const TPolygon& a = again.Polygons[i];
            const TPolygon& b = stored.Polygons[i];
            for (const auto& [u, v] :
                 {std::pair{a.Vert1, b.Vert1}, {a.Vert2, b.Vert2}, {a.Vert3, b.Vert3}}) {
                ASSERT_NEAR(u.x, v.x, tolerance) << "facet " << i;
                ASSERT_NEAR(u.y, v.y, tolerance) << "facet " << i;
                ASSERT_NEAR(u.z, v.z, tolerance) << "facet " << i;
            }
        }
    }
}

}  // namespace
}  // namespace tessarin::model
