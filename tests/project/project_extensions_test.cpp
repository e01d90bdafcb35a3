#include "project/project_extensions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "model/model.h"
#include "project/project_reader.h"
#include "project/project_writer.h"
#include "tests/support/fixtures.h"
#include "tests/support/russian_reasons.h"

namespace tessarin::project {
namespace {

using model::TImportOptions;
using model::TLengthUnit;
using model::TModel;
using model::TOriginChoice;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The example project of 59 lines; its STL file name is line 59.
std::string Example() {
    return ReadBytes(test::FixturePath("project/example.tsf"));
}

std::string WithSection(const std::string& text, const std::vector<std::string>& lines) {
    std::string out = text + std::string(kExtensionsHeader) + "\r\n";
    for (const std::string& line : lines) {
        out += line + "\r\n";
    }
    return out;
}

TModel Loaded(const std::string& text, std::string* name = nullptr) {
    model::TFileList list;
    const model::TResult result = ParseProject(text, list);
    EXPECT_TRUE(result) << result.Reason();
    if (name != nullptr) {
        *name = list.StlFileName;
    }
    TModel model(',');
    model.LoadFileList(std::move(list));
    return model;
}

TProjectExtensions ExtensionsOf(const TModel& model) {
    const model::TSurFaceData& surface = model.SurfaceData;
    return {surface.ImportOptions, surface.GeometrySettings.MinNormalAngle,
            surface.GeometrySettings.PointTolerance, surface.GeometrySettings.EdgeKinkAngle,
            model.Tolerances};
}

model::TTolerance ToleranceOf(const char* key, double nominal, double low, double high) {
    return {*model::AngleOfKey(key), nominal, low, high};
}

// ---------------------------------------------------------------------------------------
// Writing and reading back

struct TValuesCase {
    const char* Name;
    TProjectExtensions Values;
    std::vector<std::string> Lines;  // the section's lines after the header, "," separator
};

TProjectExtensions With(void (*change)(TProjectExtensions&)) {
    TProjectExtensions values;
    change(values);
    return values;
}

const TValuesCase kValuesCases[] = {
    {"Units", With([](auto& v) { v.ImportOptions.Unit = TLengthUnit::Inch; }), {"Units:inch"}},
    {"UnitsMetre", With([](auto& v) { v.ImportOptions.Unit = TLengthUnit::Metre; }), {"Units:m"}},
    {"UnitsMicrometre",
     With([](auto& v) { v.ImportOptions.Unit = TLengthUnit::Micrometre; }),
     {"Units:um"}},
    {"Axis",
     With([](auto& v) {
         v.ImportOptions.Axis = {0.5, -1, 1e-7};
     }),
     {"Axis:0,5;-1;1E-7"}},
    {"OriginCenter",
     With([](auto& v) { v.ImportOptions.Origin = TOriginChoice::Center; }),
     {"Origin:center"}},
    {"OriginPoint",
     With([](auto& v) {
         v.ImportOptions.Origin = TOriginChoice::Point;
         v.ImportOptions.OriginPoint = {0.25, 0, -12.5};
     }),
     {"Origin:0,25;0;-12,5"}},
    {"RepairNormals",
     With([](auto& v) { v.ImportOptions.RepairNormals = false; }),
     {"RepairNormals:no"}},
    {"KeepDuplicates",
     With([](auto& v) { v.ImportOptions.KeepDuplicates = true; }),
     {"KeepDuplicates:yes"}},
    {"MinNormalAngle", With([](auto& v) { v.MinNormalAngle = 20.5; }), {"MinNormalAngle:20,5"}},
    {"PointTolerance", With([](auto& v) { v.PointTolerance = 1e-5; }), {"PointTolerance:1E-5"}},
    {"EdgeKinkAngle", With([](auto& v) { v.EdgeKinkAngle = 12.5; }), {"EdgeKinkAngle:12,5"}},
    // Written with "." and in the shortest form whatever the file's separator, in the order
    // of the angles, not of setting them.
    {"Tolerances",
     With([](auto& v) {
         model::SetTolerance(v.Tolerances, ToleranceOf("dsk.psi", 0.1, -1e-7, 0));
         model::SetTolerance(v.Tolerances, ToleranceOf("ssk.gn", 6, -0.5, 0.5));
         model::SetTolerance(v.Tolerances, ToleranceOf("isk.g", -3.25, 0, 1.0 / 3));
     }),
     {"tolerance.isk.g:-3.25;0;0.3333333333333333", "tolerance.ssk.gn:6;-0.5;0.5",
      "tolerance.dsk.psi:0.1;-1e-07;0"}},
    {"EveryKeyInItsOrder",
     With([](auto& v) {
         v.ImportOptions = {TLengthUnit::Metre, {1, 0, 0}, TOriginChoice::Point,
                            {0, 0, 2},          false,     true};
         v.MinNormalAngle = 180;
         v.PointTolerance = 0.25;
         v.EdgeKinkAngle = 0;
         model::SetTolerance(v.Tolerances, ToleranceOf("ksk.a", 8, -2, 2));
     }),
     {"Units:m", "Axis:1;0;0", "Origin:0;0;2", "RepairNormals:no", "KeepDuplicates:yes",
      "MinNormalAngle:180", "PointTolerance:0,25", "EdgeKinkAngle:0", "tolerance.ksk.a:8;-2;2"}},
};

class ExtensionValuesTest : public testing::TestWithParam<TValuesCase> {};

TEST_P(ExtensionValuesTest, WrittenAfterTheNameAndReadBack) {
    const TValuesCase& c = GetParam();
    TModel model = Loaded(Example());
    model.SurfaceData.ImportOptions = c.Values.ImportOptions;
    model.SurfaceData.GeometrySettings.MinNormalAngle = c.Values.MinNormalAngle;
    model.SurfaceData.GeometrySettings.PointTolerance = c.Values.PointTolerance;
    model.SurfaceData.GeometrySettings.EdgeKinkAngle = c.Values.EdgeKinkAngle;
    model.Tolerances = c.Values.Tolerances;

    const std::string text = ProjectText(model, "C:\\Models\\insert.stl", ',');
    EXPECT_EQ(text, WithSection(Example(), c.Lines));

    for (const char separator : {',', '.'}) {
        SCOPED_TRACE(separator);
        std::string name;
        const TModel loaded =
            Loaded(ProjectText(model, "C:\\Models\\insert.stl", separator), &name);
        EXPECT_EQ(ExtensionsOf(loaded), c.Values);
        EXPECT_EQ(name, "C:\\Models\\insert.stl");
        EXPECT_EQ(ProjectText(loaded, name, ','), text);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, ExtensionValuesTest, testing::ValuesIn(kValuesCases),
                         [](const testing::TestParamInfo<TValuesCase>& info) {
                             return std::string(info.param.Name);
                         });

// Every file the first format can express is written as it always was: the values at
// their defaults (an origin point without the Point choice, -0 for the angle) write no
// section, whatever they were before.
TEST(ExtensionValuesTest, DefaultValuesWriteTheFileOfTheFirstFormat) {
    TModel model = Loaded(Example());
    EXPECT_EQ(ProjectText(model, "C:\\Models\\insert.stl", ','), Example());

    model.SurfaceData.ImportOptions.OriginPoint = {1, 2, 3};
    model.SurfaceData.GeometrySettings.MinNormalAngle = -0.0;
    model.SurfaceData.GeometrySettings.PointTolerance = model::kDefaultPointTolerance;
    EXPECT_EQ(ProjectText(model, "C:\\Models\\insert.stl", ','), Example());

    TModel empty(',');
    const std::string text = ProjectText(empty, "", '.');
    EXPECT_EQ(text.find(kExtensionsHeader), std::string::npos);
    EXPECT_EQ(base::SplitLines(text).size(), 43u);
}

TEST(ExtensionValuesTest, ReadAfterAnEmptyNameAndWithUnknownKeys) {
    TModel model(',');
    model.SurfaceData.GeometrySettings.PointTolerance = 0.01;
    const std::string written = ProjectText(model, "", ',');
    std::string name = "x";
    EXPECT_EQ(ExtensionsOf(Loaded(written, &name)).PointTolerance, 0.01);
    EXPECT_EQ(name, "");

    // A later version's keys are passed over; the ones known here still count. Empty lines
    // at the very end, as an editor may leave them, are allowed.
    // So is a tolerance of an angle this version does not know.
    const std::string later =
        WithSection(Example(), {"Colour:red", "MinNormalAngle:12", "Future:a:b:c",
                                "tolerance.ssk.zeta:1;-1;1", "tolerance.isk.gn:1,5;-1;1", "", ""});
    const TProjectExtensions read = ExtensionsOf(Loaded(later));
    EXPECT_EQ(read.Tolerances, model::TToleranceSet{ToleranceOf("isk.gn", 1.5, -1, 1)});
    EXPECT_EQ(read.MinNormalAngle, 12);
    EXPECT_EQ(read.PointTolerance, model::kDefaultPointTolerance);
    EXPECT_EQ(read.ImportOptions, TImportOptions{});
}

// ---------------------------------------------------------------------------------------
// Refused sections

struct TBadSection {
    const char* Name;
    std::vector<std::string> Lines;
    std::size_t Line;      // 1-based line the reason names
    const char* Expected;  // the reason after "line N: expected "
};

class MalformedExtensionTest : public testing::TestWithParam<TBadSection> {};

TEST_P(MalformedExtensionTest, RefusedAtItsLine) {
    const TBadSection& c = GetParam();
    model::TFileList list;
    const model::TResult result = ParseProject(WithSection(Example(), c.Lines), list);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.Reason(), "line " + std::to_string(c.Line) + ": expected " + c.Expected);
    EXPECT_EQ(list.StlFileName, "");
    EXPECT_EQ(list.ImportOptions, TImportOptions{});
}

// In Russian the key and the value are quoted, as the file has them; the rest is Russian.
TEST_P(MalformedExtensionTest, SaysWhyInRussian) {
    const TBadSection& c = GetParam();
    const test::TRussianMessages russian;
    model::TFileList list;
    const model::TResult result = ParseProject(WithSection(Example(), c.Lines), list);
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.Reason().starts_with("строка " + std::to_string(c.Line) + ": "))
        << result.Reason();
    EXPECT_TRUE(test::StrayLatinWords(result.Reason()).empty()) << result.Reason();
}

// The header is line 60, the first key line 61.
INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedExtensionTest,
    testing::Values(
        TBadSection{"NoColon",
                    {"Units mm"},
                    61,
                    "an extension \"key:value\", found no colon in \"Units mm\""},
        TBadSection{"EmptyLineBetweenKeys",
                    {"Units:mm", "", "Axis:0;0;1"},
                    62,
                    "an extension \"key:value\", found no colon in \"\""},
        TBadSection{"EmptyKey", {":mm"}, 61, "an extension key before the colon"},
        TBadSection{"RepeatedKey",
                    {"MinNormalAngle:10", "Units:m", "MinNormalAngle:10"},
                    63,
                    "each extension key once, found MinNormalAngle again (first in line 61)"},
        TBadSection{"RepeatedUnknownKey",
                    {"Colour:red", "Colour:red"},
                    62,
                    "each extension key once, found Colour again (first in line 61)"},
        TBadSection{"KeyInAnotherCase",
                    {"units:mm", "Units:feet"},
                    62,
                    "Units mm, inch, m or um, found \"feet\""},
        TBadSection{"UnitWithBlank", {"Units: mm"}, 61, "Units mm, inch, m or um, found \" mm\""},
        TBadSection{"AxisTwoNumbers",
                    {"Axis:0;1"},
                    61,
                    "Axis three numbers x;y;z, not all zero, found \"0;1\""},
        TBadSection{"AxisFourNumbers",
                    {"Axis:0;0;1;"},
                    61,
                    "Axis three numbers x;y;z, not all zero, found \"0;0;1;\""},
        TBadSection{"AxisZero",
                    {"Axis:0;0;0"},
                    61,
                    "Axis three numbers x;y;z, not all zero, found \"0;0;0\""},
        TBadSection{"AxisNotANumber",
                    {"Axis:NAN;0;1"},
                    61,
                    "Axis three numbers x;y;z, not all zero, found \"NAN;0;1\""},
        TBadSection{"OriginWord",
                    {"Origin:centre"},
                    61,
                    "Origin keep, center or three numbers x;y;z, found \"centre\""},
        TBadSection{"OriginInfinite",
                    {"Origin:INF;0;0"},
                    61,
                    "Origin keep, center or three numbers x;y;z, found \"INF;0;0\""},
        TBadSection{
            "RepairNormalsFlag", {"RepairNormals:-1"}, 61, "RepairNormals yes or no, found \"-1\""},
        TBadSection{
            "KeepDuplicatesEmpty", {"KeepDuplicates:"}, 61, "KeepDuplicates yes or no, found \"\""},
        TBadSection{"AngleAboveAHalfTurn",
                    {"MinNormalAngle:180,5"},
                    61,
                    "MinNormalAngle an angle from 0 to 180, found \"180,5\""},
        TBadSection{"AngleNegative",
                    {"MinNormalAngle:-1"},
                    61,
                    "MinNormalAngle an angle from 0 to 180, found \"-1\""},
        TBadSection{"AngleNotANumber",
                    {"MinNormalAngle:NAN"},
                    61,
                    "MinNormalAngle an angle from 0 to 180, found \"NAN\""},
        TBadSection{"ToleranceZero",
                    {"PointTolerance:0"},
                    61,
                    "PointTolerance a positive number, found \"0\""},
        TBadSection{"ToleranceWithUnit",
                    {"PointTolerance:0,001mm"},
                    61,
                    "PointTolerance a positive number, found \"0,001mm\""},
        TBadSection{"ToleranceInfinite",
                    {"PointTolerance:INF"},
                    61,
                    "PointTolerance a positive number, found \"INF\""},
        TBadSection{"KinkAboveAHalfTurn",
                    {"EdgeKinkAngle:181"},
                    61,
                    "EdgeKinkAngle an angle from 0 to 180, found \"181\""},
        TBadSection{"NominalTwoNumbers",
                    {"Units:m", "tolerance.ssk.gn:6;-0.5"},
                    62,
                    "tolerance.ssk.gn three finite numbers NOMINAL;LOW;HIGH with LOW <= 0 <= "
                    "HIGH, found \"6;-0.5\""},
        TBadSection{"NominalLowAboveZero",
                    {"tolerance.ssk.gn:6;0.5;1"},
                    61,
                    "tolerance.ssk.gn three finite numbers NOMINAL;LOW;HIGH with LOW <= 0 <= "
                    "HIGH, found \"6;0.5;1\""},
        TBadSection{"NominalHighBelowZero",
                    {"tolerance.isk.a:6;-1;-0.5"},
                    61,
                    "tolerance.isk.a three finite numbers NOMINAL;LOW;HIGH with LOW <= 0 <= "
                    "HIGH, found \"6;-1;-0.5\""},
        TBadSection{"NominalNotANumber",
                    {"tolerance.ssk.g:NAN;-1;1"},
                    61,
                    "tolerance.ssk.g three finite numbers NOMINAL;LOW;HIGH with LOW <= 0 <= "
                    "HIGH, found \"NAN;-1;1\""},
        // Malformed even where the angle is unknown: the line is damaged either way.
        TBadSection{"NominalOfUnknownAngleMalformed",
                    {"tolerance.ssk.zeta:1;2"},
                    61,
                    "tolerance.ssk.zeta three finite numbers NOMINAL;LOW;HIGH with LOW <= 0 <= "
                    "HIGH, found \"1;2\""},
        TBadSection{"NominalTwice",
                    {"tolerance.ssk.gn:6;-1;1", "tolerance.ssk.gn:7;-1;1"},
                    62,
                    "each extension key once, found tolerance.ssk.gn again (first in line 61)"}),
    [](const testing::TestParamInfo<TBadSection>& info) { return info.param.Name; });

TEST(MalformedExtensionTest, ASectionCutShortIsRefused) {
    const std::string whole = WithSection(Example(), {"PointTolerance:0,0025"});
    for (const std::size_t cut : {2u, 3u}) {  // the line break, and a digit with it
        model::TFileList list;
        const model::TResult result = ParseProject(whole.substr(0, whole.size() - cut), list);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.Reason(),
                  "line 61: expected the last extension line ended by a line "
                  "break, but the file ends inside the line");
    }
    {
        const test::TRussianMessages russian;
        model::TFileList list;
        const model::TResult result = ParseProject(whole.substr(0, whole.size() - 2), list);
        ASSERT_FALSE(result);
        EXPECT_EQ(
            result.Reason(),
            "строка 61: ожидалось: последняя строка расширений с переводом строки в конце, но "
            "файл кончается посреди строки");
    }
    // Text after a name that is not the section is not read, as before.
    model::TFileList list;
    EXPECT_TRUE(ParseProject(Example() + "-----Extension-----\r\nUnits:feet\r\n", list));
    EXPECT_EQ(list.ImportOptions, TImportOptions{});
}

}  // namespace
}  // namespace tessarin::project
