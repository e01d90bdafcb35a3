#include "project/project_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "project/project_writer.h"
#include "tests/support/fixtures.h"
#include "tests/support/recording_progress.h"
#include "tests/support/russian_reasons.h"
#include "tests/support/temp_dir.h"

// Every allocation of this test program goes through here, so that a test can see the
// largest single request a call makes (a count that slips through a reader's checks
// shows as one huge list). Plain malloc and free underneath, for all the replaceable
// forms, so that whatever is allocated in one form and freed in another stays matched.
namespace {
std::atomic<bool> gProbing{false};
std::atomic<std::size_t> gLargestRequest{0};

// Kept out of line: inlined into the operators, a compiler would see memory from
// operator new reach free() and warn about a mismatch that is none.
[[gnu::noinline]] void* Allocate(std::size_t size) {
    if (gProbing.load(std::memory_order_relaxed)) {
        std::size_t largest = gLargestRequest.load(std::memory_order_relaxed);
        while (size > largest && !gLargestRequest.compare_exchange_weak(largest, size)) {
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}

[[gnu::noinline]] void Release(void* p) noexcept {
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}

namespace tessarin::project {
namespace {

using test::ReadBytes;
using test::TRecordingProgress;
using test::TTempDir;
using test::WriteBytes;

namespace fs = std::filesystem;
using base::SplitLines;
using model::TModel;
using model::TPolygon;
using model::TSegment;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<std::string> ExampleLines() {
    const std::string text = ReadBytes(test::FixturePath("project/example.tsf"));
    const std::vector<std::string_view> lines = SplitLines(text);
    return {lines.begin(), lines.end()};
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// Everything a load can change, as one comparable text.
std::string Snapshot(const TModel& model) {
    std::string all = ProjectText(model, "", ',');
    for (int k = 1; k <= model::kColumnCount; ++k) {
        all += "\ncolumn " + std::to_string(k) + ":";
        for (const std::string& cell : model.Columns[k]) {
            all += cell + "|";
        }
    }
    for (int k = 3; k <= 17; ++k) {
        all += "\nseries " + std::to_string(k) + ":" +
               std::to_string(model.Series(k).GetPoints().size());
    }
    for (const auto& marks : model.MarkedCells) {
        all += "\nmarks:" + std::to_string(marks.size());
    }
    all += model.SurfaceData.Modified ? "\nmodified" : "\nclean";
    all += model.WorkingCS == model.AcceptedCS ? "\nsame" : "\ndiffer";
    return all;
}

TSegment OddSegment(int number, double polar) {
    TSegment s;
    s.Point1 = {1.0 / 3.0, -1e-7, -0.0};
    s.Point2 = {2.0 / 3.0, 1e-7, 1e15};
    s.Direct = {1.0 / 3.0, 2e-7, 1e15};
    s.Polar = polar;
    s.Front = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0.1, 0.2, 0.3}};
    s.Back = {{-1, -2, -3}, {1e-300, 5e-324, 1e300}, {0, 0, 0}, {1, 0, 0}};
    s.ISK = {kNaN, 12.5, -3.25};
    s.SSK = {kInf, -kInf, 0.000015, 92};
    s.KSK = {1.0 / 7.0, -0.0, 1e-4, -45};
    s.DSK = {0, 0, 0, 0};
    s.Number = number;
    return s;
}

// A model in every state a file can hold: segments with odd numbers (15-digit thirds,
// exponent forms, -0, NaN and infinite angles), a selection, all flags set.
TModel RichModel(char separator) {
    TModel model(separator);
    model::TSurFaceData& surface = model.SurfaceData;
    const TPolygon a{{0, 0, 0}, {1.0 / 3.0, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const TPolygon b{{-1e-7, 2, 3}, {4, 5, 6}, {7, 8, 9.5}, {0, 1, 0}};
    const TPolygon c{{123456789.123, -0.0, 5}, {1, 1, 1}, {2, 2, 2}, {0.6, 0, 0.8}};
    surface.SurfaceExist = true;
    surface.SurfaceSorted = true;
    surface.Polygons = {a, b, c, a};
    surface.FrontPolygons = {a};
    surface.BackPolygons = {b, c};
    surface.OtherPolygons = {a};
    surface.PolygonCount = 4;
    surface.FrontCount = 1;
    surface.BackCount = 2;
    surface.Zmax = 9.5;
    surface.Zmin = -1.0 / 3.0;
    surface.Xmax = 123456789.123;
    surface.Xmin = -1e-7;
    surface.Ymax = 8;
    surface.Ymin = 0;
    surface.GeometrySettings = {7.25, 1.0 / 3.0, false, 3, true};
    model.CutEdge = {OddSegment(1, -179.5), OddSegment(2, 1.0 / 3.0), OddSegment(3, 180)};
    model.SegmentCount = 3;
    model.CutEdgeExist = true;
    model.SelectCutEdge = {model.CutEdge[0], model.CutEdge[2]};
    model.SelectCutEdgeExist = true;
    model.CurrentCS = model::kKSK;
    model.ExistedCS = {true, true, true, true};
    model.DefinedAngles = {true, false, true, true};
    model.AcceptedCS.SSK = {{0.1, -0.2, 0.97467943448089}, 1.0 / 3.0, -45};
    model.AcceptedCS.KSK = {{0, 1e-7, 1.0000000000001}, 2.5};
    model.AcceptedCS.DSK = {{0.5, 0.5, 0.70710678118655}, 30};
    model.AcceptedCS.FeedPlan = {{0, -1, 0}, 92.5, 2};
    // The working record differs; the file stores only the accepted one.
    model.WorkingCS.FeedPlan.Phi = 17;
    return model;
}

model::TResult ReadText(std::string_view text, TModel& model, std::string& name,
                        model::TProgress& progress = model::NullProgress()) {
    model::TFileList list;
    model::TResult result = ParseProject(text, list, progress);
    if (result) {
        name = list.StlFileName;
        model.LoadFileList(std::move(list));
    }
    return result;
}

TEST(ProjectReaderTest, ExampleFileReadsBack) {
    TModel model(',');
    model.SurfaceData.GeometrySettings = {1, 2, false, 6, false};  // the user's, replaced
    std::string name = "untouched";
    TRecordingProgress progress;
    const model::TResult result =
        LoadProject(model, test::FixturePath("project/example.tsf"), name, progress);
    ASSERT_TRUE(result) << result.Reason();

    EXPECT_EQ(name, "C:\\Models\\insert.stl");
    EXPECT_EQ(progress.Text, "Открытие файла >>");
    EXPECT_EQ(progress.Maximum, 8);
    EXPECT_EQ(progress.Stepped, 8);
    EXPECT_FALSE(progress.Running);

    EXPECT_TRUE(model.CutEdgeExist);
    EXPECT_EQ(model.SegmentCount, 1);
    ASSERT_EQ(model.CutEdge.size(), 1u);
    EXPECT_EQ(model.CutEdge[0].Number, 1);
    EXPECT_EQ(model.CutEdge[0].Polar, 14.0362434679265);
    EXPECT_EQ(model.CutEdge[0].Back.Vert3, (model::TVector3{10, 2.5, -3}));
    EXPECT_TRUE(model.SelectCutEdge.empty());
    EXPECT_FALSE(model.SelectCutEdgeExist);
    const model::TSurFaceData& surface = model.SurfaceData;
    EXPECT_EQ(surface.PolygonCount, 3);
    EXPECT_EQ(surface.Polygons.size(), 3u);
    EXPECT_EQ(surface.FrontCount, 1);
    EXPECT_EQ(surface.BackCount, 1);
    EXPECT_EQ(surface.OtherPolygons.size(), 1u);
    EXPECT_TRUE(surface.SurfaceExist && surface.SurfaceSorted);
    EXPECT_EQ(surface.Zmin, -3);
    EXPECT_EQ(surface.Xmax, 10);
    EXPECT_EQ(surface.Ymax, 5);
    EXPECT_EQ(surface.GeometrySettings, model::kDefaultGeometrySettings);
    EXPECT_FALSE(surface.Modified);
    EXPECT_EQ(model.CurrentCS, model::kISK);
    EXPECT_EQ(model.ExistedCS, (std::array<bool, 4>{}));
    EXPECT_EQ(model.DefinedAngles, (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(model.AcceptedCS, model::CSValues{});
    EXPECT_EQ(model.WorkingCS, model.AcceptedCS);

    EXPECT_EQ(model.Columns[1], (model::TStringList{"№", "1"}));
    EXPECT_EQ(model.Columns[2], (model::TStringList{"", "14,0362"}));
    for (int k = 3; k <= 5; ++k) {
        EXPECT_EQ(model.Columns[k], (model::TStringList{"", "0,0000"})) << "column " << k;
        ASSERT_EQ(model.Series(k).GetPoints().size(), 1u) << "series " << k;
        EXPECT_EQ(model.Series(k).GetPoints()[0], (model::TChartPoint{14.0362, 0}));
    }
    for (int k = 6; k <= model::kColumnCount; ++k) {
        EXPECT_TRUE(model.Columns[k].empty()) << "column " << k;
    }
    for (int k = 6; k <= 17; ++k) {
        EXPECT_TRUE(model.Series(k).GetPoints().empty()) << "series " << k;
    }
    for (const auto& marks : model.MarkedCells) {
        EXPECT_EQ(marks, model::TMarkedCellsOfCol{false});
    }
}

class RoundTripTest : public testing::TestWithParam<char> {};

INSTANTIATE_TEST_SUITE_P(BothSeparators, RoundTripTest, testing::Values(',', '.'),
                         [](const testing::TestParamInfo<char>& info) {
                             return info.param == ',' ? "Comma" : "Dot";
                         });

TEST_P(RoundTripTest, WriteReadWriteIsByteEqual) {
    const char separator = GetParam();
    const TModel original = RichModel(separator);
    const std::string stlName = "/home/user/Модели/пластина 1.stl";
    const std::string first = ProjectText(original, stlName, separator);

    TModel loaded(separator);
    std::string name;
    const model::TResult result = ReadText(first, loaded, name);
    ASSERT_TRUE(result) << result.Reason();
    EXPECT_EQ(ProjectText(loaded, name, separator), first);
    EXPECT_EQ(name, stlName);

    // What the numbers' text cannot carry exactly comes back to 15 digits; the rest is
    // exact, the special values included.
    EXPECT_EQ(loaded.CutEdge[1].Point1.x, 0.333333333333333);
    EXPECT_TRUE(std::isnan(loaded.CutEdge[0].ISK.A));
    EXPECT_EQ(loaded.CutEdge[0].SSK.A, kInf);
    EXPECT_EQ(loaded.CutEdge[0].SSK.G, -kInf);
    EXPECT_EQ(loaded.CutEdge[2].Back.Vert2.y, 5e-324);
    EXPECT_EQ(loaded.SelectCutEdge.size(), 2u);
    EXPECT_EQ(loaded.SelectCutEdge[1].Number, 3);
    EXPECT_TRUE(loaded.SelectCutEdgeExist);
    EXPECT_EQ(loaded.CurrentCS, model::kKSK);
    EXPECT_EQ(loaded.ExistedCS, original.ExistedCS);
    EXPECT_EQ(loaded.DefinedAngles, original.DefinedAngles);
    EXPECT_EQ(loaded.AcceptedCS.FeedPlan, original.AcceptedCS.FeedPlan);
    EXPECT_EQ(loaded.WorkingCS, loaded.AcceptedCS);
    EXPECT_EQ(loaded.SurfaceData.GeometrySettings.TableAccuracy, 3);
    EXPECT_FALSE(loaded.SurfaceData.Modified);

    // Columns of the defined systems only, with the file's 3 decimals; the marks
    // for all four (NaN and -INF marked, INF not).
    EXPECT_EQ(loaded.Columns[3].size(), 4u);
    EXPECT_TRUE(loaded.Columns[6].empty());
    EXPECT_EQ(loaded.Columns[14].size(), 4u);
    EXPECT_EQ(loaded.Columns[4][1], "NAN");
    EXPECT_EQ(loaded.Columns[3][1], std::string("12") + separator + "5");
    EXPECT_TRUE(loaded.MarkedCells[1][0]);   // ISK A: NaN
    EXPECT_FALSE(loaded.MarkedCells[4][0]);  // SSK A: INF
    EXPECT_TRUE(loaded.MarkedCells[3][0]);   // SSK G: -INF
}

TEST_P(RoundTripTest, AFileOpensUnderTheOtherSeparator) {
    const char separator = GetParam();
    const char other = separator == ',' ? '.' : ',';
    const TModel original = RichModel(separator);
    TModel loaded(other);
    std::string name;
    ASSERT_TRUE(ReadText(ProjectText(original, "", separator), loaded, name));
    EXPECT_EQ(ProjectText(loaded, "", other), ProjectText(RichModel(other), "", other));
}

TEST(ProjectReaderTest, MainSegmentsAreRenumberedSelectedOnesKeepTheirNumbers) {
    TModel model = RichModel(',');
    model.CutEdge[0].Number = 7;
    model.CutEdge[1].Number = 7;
    model.CutEdge[2].Number = 40;
    model.SelectCutEdge[0].Number = 2;
    model.SelectCutEdge[1].Number = 40;
    TModel loaded(',');
    std::string name;
    ASSERT_TRUE(ReadText(ProjectText(model, "", ','), loaded, name));
    EXPECT_EQ(loaded.CutEdge[0].Number, 1);
    EXPECT_EQ(loaded.CutEdge[1].Number, 2);
    EXPECT_EQ(loaded.CutEdge[2].Number, 3);
    EXPECT_EQ(loaded.Columns[1], (model::TStringList{"№", "1", "2", "3"}));
    EXPECT_EQ(loaded.SelectCutEdge[0].Number, 2);
    EXPECT_EQ(loaded.SelectCutEdge[1].Number, 40);
}

TEST(ProjectReaderTest, EmptyDocumentReadsWithItsStoredSettings) {
    TModel empty(',');
    empty.SurfaceData.GeometrySettings = {5, 70, false, 2, false};
    const std::string text = ProjectText(empty, "", ',');
    ASSERT_EQ(SplitLines(text).size(), 43u);
    TModel loaded(',');
    std::string name = "x";
    ASSERT_TRUE(ReadText(text, loaded, name));
    EXPECT_EQ(name, "");
    EXPECT_EQ(loaded.SurfaceData.GeometrySettings, empty.SurfaceData.GeometrySettings);
    EXPECT_EQ(loaded.SegmentCount, 0);
    EXPECT_TRUE(loaded.SurfaceData.Polygons.empty());
    EXPECT_FALSE(loaded.CutEdgeExist || loaded.SurfaceData.SurfaceExist);
    EXPECT_EQ(loaded.Columns[1], (model::TStringList{"№"}));
    EXPECT_EQ(ProjectText(loaded, "", ','), text);
}

TEST(ProjectReaderTest, StoredTableAccuracyDecidesTheColumns) {
    std::vector<std::string> lines = ExampleLines();
    lines[56] = "Geometry Settings:Alpha:10;Gamma:80;DiscardInt:-1>>Accu:2;MarkNeg:-1";
    TModel model(',');
    model.SurfaceData.GeometrySettings.TableAccuracy = 5;  // the user's current setting
    std::string name;
    ASSERT_TRUE(ReadText(JoinCrLf(lines), model, name));
    EXPECT_EQ(model.GetAccuracy(), 2);
    EXPECT_EQ(model.Columns[2][1], "14,04");
    EXPECT_EQ(model.Columns[3][1], "0,00");
    EXPECT_EQ(model.Series(3).GetPoints()[0].X, 14.04);
}

TEST(ProjectReaderTest, StlNameFromAWindowsSystemIsDecoded) {
    TModel model(',');
    std::string name;
    const model::TResult result =
        LoadProject(model, test::FixturePath("project/cp1251_stl_name.tsf"), name);
    ASSERT_TRUE(result) << result.Reason();
    EXPECT_EQ(name, "C:\\Модели\\пластина.stl");
}

TEST(ProjectReaderTest, Utf8StlNameSurvivesSaveAndLoad) {
    TTempDir dir;
    const std::string path = dir.File("проект.tsf");
    const std::string stlName = "C:\\Модели\\пластина №2 – ёж.stl";
    TModel model = RichModel(',');
    ASSERT_TRUE(SaveProject(model, path, stlName, ','));
    TModel loaded(',');
    std::string name;
    const model::TResult result = LoadProject(loaded, path, name);
    ASSERT_TRUE(result) << result.Reason();
    EXPECT_EQ(name, stlName);
}

struct TVariant {
    const char* Name;
    std::function<void(std::vector<std::string>&)> Edit;
};

class ReadableVariantTest : public testing::TestWithParam<TVariant> {};

// Files that differ from what the writer makes but read by the rules all the same.
TEST_P(ReadableVariantTest, Reads) {
    std::vector<std::string> lines = ExampleLines();
    GetParam().Edit(lines);
    TModel model(',');
    std::string name;
    const model::TResult result = ReadText(JoinCrLf(lines), model, name);
    ASSERT_TRUE(result) << result.Reason();
    EXPECT_EQ(model.CutEdge.size(), 1u);
    EXPECT_EQ(model.CutEdge[0].Number, 1);  // renumbered whatever the file says
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ReadableVariantTest,
    testing::Values(
        // The segment number line without "#".
        TVariant{"SegmentNumberWithoutHash", [](auto& l) { l[6] = " 12"; }},
        // Labels skipped by count are not compared: positions decide.
        TVariant{"BoundLabelNotCompared", [](auto& l) { l[35] = "Qmax:0"; }},
        TVariant{"FlagLabelNotCompared", [](auto& l) { l[45] = "Surface EXIST:-1"; }},
        // A separator other than the writer's, and the special values.
        TVariant{"DotSeparator", [](auto& l) { l[9] = " Polar:14.0362434679265"; }},
        TVariant{"SpecialValues", [](auto& l) { l[12] = "G:NAN;A:INF;L:-INF"; }},
        TVariant{"FlagsAsWords", [](auto& l) { l[46] = "Surface sorted:True"; }},
        // Lines after the STL name are not read.
        TVariant{"TextAfterTheName", [](auto& l) { l.push_back("trailing"); }}),
    [](const testing::TestParamInfo<TVariant>& info) { return info.param.Name; });

TEST(ProjectReaderTest, AnyLineEndReads) {
    const std::string crlf = JoinCrLf(ExampleLines());
    for (const char* end : {"\n", "\r"}) {
        std::string text;
        for (const std::string& line : ExampleLines()) {
            text += line + end;
        }
        TModel a(',');
        TModel b(',');
        std::string nameA;
        std::string nameB;
        ASSERT_TRUE(ReadText(text, a, nameA));
        ASSERT_TRUE(ReadText(crlf, b, nameB));
        EXPECT_EQ(Snapshot(a), Snapshot(b));
        EXPECT_EQ(nameA, nameB);
    }
}

struct TMalformed {
    const char* Name;
    std::function<void(std::vector<std::string>&)> Edit;
    const char* Reason;  // the reason after the file name
};

class MalformedFileTest : public testing::TestWithParam<TMalformed> {};

TEST_P(MalformedFileTest, FailsAtTheLineAndLeavesTheModelUntouched) {
    const TMalformed& c = GetParam();
    std::vector<std::string> lines = ExampleLines();
    c.Edit(lines);
    TTempDir dir;
    const std::string path = dir.File("broken.tsf");
    WriteBytes(path, JoinCrLf(lines));

    // A model that already holds something shows any change a failed read makes.
    TModel model(',');
    std::string name = "previous.stl";
    ASSERT_TRUE(ReadText(ProjectText(RichModel(','), "previous.stl", ','), model, name));
    const std::string before = Snapshot(model);

    TRecordingProgress progress;
    const model::TResult result = LoadProject(model, path, name, progress);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.Reason(), path + ": " + c.Reason);
    EXPECT_EQ(Snapshot(model), before);
    EXPECT_EQ(name, "previous.stl");
    EXPECT_FALSE(progress.Running);
    EXPECT_LT(progress.Stepped, 8);
}

// The same damage under the Russian message language: the file and the line named, the
// file's own labels quoted, the rest in Russian.
TEST_P(MalformedFileTest, SaysWhyInRussian) {
    const test::TRussianMessages russian;
    std::vector<std::string> lines = ExampleLines();
    GetParam().Edit(lines);
    TTempDir dir;
    const std::string path = dir.File("broken.tsf");
    WriteBytes(path, JoinCrLf(lines));
    TModel model(',');
    std::string name;
    const model::TResult result = LoadProject(model, path, name);
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.Reason().starts_with(path + ": строка ")) << result.Reason();
    EXPECT_TRUE(test::StrayLatinWords(result.Reason(), path).empty()) << result.Reason();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedFileTest,
    testing::Values(
        // Every position shifts by one: line 5 then holds "Segments:".
        TMalformed{"MissingFirstLine", [](auto& l) { l.erase(l.begin()); },
                   "line 5: expected \"Number of segments:\" and an integer"},
        TMalformed{"Truncated", [](auto& l) { l.resize(40); },
                   "line 41: expected \"Xmin:\" and a number, but the file ends after line 40"},
        TMalformed{"EmptyFile", [](auto& l) { l.clear(); },
                   "line 5: expected \"Number of segments:\" and an integer, but the file ends "
                   "after line 0"},
        TMalformed{"MissingStlNameLine", [](auto& l) { l.pop_back(); },
                   "line 59: expected the STL file name, but the file ends after line 58"},
        TMalformed{"BadNumber", [](auto& l) { l[36] = "Zmin:-3x"; },
                   "line 37: expected \"Zmin:\" and a number"},
        TMalformed{"NegativeCount", [](auto& l) { l[17] = "Number of all polygons:-1"; },
                   "line 18: expected a count of polygons that is not negative, found -1"},
        // Refused before anything is allocated for it.
        TMalformed{"CountBeyondTheFile",
                   [](auto& l) { l[17] = "Number of all polygons:2000000000"; },
                   "line 18: expected a count of polygons that fits the file, found 2000000000: so "
                   "many take at least 100000000000 bytes, but only 961 bytes follow"},
        TMalformed{"SegmentCountBeyondTheFile",
                   [](auto& l) { l[4] = "Number of segments:2147483647"; },
                   "line 5: expected a count of segments that fits the file, found 2147483647: so "
                   "many take at least 395136991048 bytes, but only 1275 bytes follow"},
        TMalformed{"SelectCountBeyondTheFile",
                   [](auto& l) { l[42] = "Number of select segments:3"; },
                   "line 43: expected a count of segments that fits the file, found 3: so many "
                   "take at least 552 bytes, but only 403 bytes follow"},
        TMalformed{"CountTooBigLandsOnTheEmptyLine",
                   [](auto& l) { l[17] = "Number of all polygons:4"; },
                   "line 23: expected a polygon \"Vert1:x;y;z;Vert2:x;y;z;Vert3:x;y;z;Normal:x;y;"
                   "z;\""},
        TMalformed{"CountTooSmallMissesTheNextLabel",
                   [](auto& l) { l[17] = "Number of all polygons:2"; },
                   "line 23: expected \"Number of front polygons:\" and an integer"},
        TMalformed{"CountNotAnInteger", [](auto& l) { l[27] = "Number of back polygons:1,0"; },
                   "line 28: expected \"Number of back polygons:\" and an integer"},
        TMalformed{"BadPolygon", [](auto& l) { l[20].replace(l[20].find("Vert3"), 5, "Vert9"); },
                   "line 21: expected a polygon \"Vert1:x;y;z;Vert2:x;y;z;Vert3:x;y;z;Normal:x;y;"
                   "z;\""},
        TMalformed{"SegmentWithoutNumber", [](auto& l) { l[6] = " #"; },
                   "line 7: expected \" #\" and the segment number"},
        TMalformed{"SegmentWithoutSecondPoint",
                   [](auto& l) { l[7] = " Point1:10;0;0;:Point3:10;5;0;"; },
                   "line 8: expected \" Point1:\", a point, \":Point2:\" and a point"},
        TMalformed{"PolarLabelMisspelt", [](auto& l) { l[9] = " Polr:14,0362434679265"; },
                   "line 10: expected \" Polar:\" and a number"},
        TMalformed{"BackPolygonCut", [](auto& l) { l[11].resize(l[11].size() - 5); },
                   "line 12: expected \" Back:\" and a polygon"},
        TMalformed{"SskAnglesWithoutPlanAngle", [](auto& l) { l[13] = "G:0;A:0;L:0"; },
                   "line 14: expected the SSK angles \"G:..;A:..;L:..;F:..\""},
        TMalformed{"BadFlag", [](auto& l) { l[45] = "Surface exist:yes"; },
                   "line 46: expected \"Surface exist:\" and a flag"},
        TMalformed{"BadCurrentSystem", [](auto& l) { l[49] = "Current CS:ISK "; },
                   "line 50: expected \"Current CS:\" and ISK, SSK, KSK or DSK"},
        TMalformed{"FractionalMainSegmentIndex",
                   [](auto& l) { l[55] = "CSValues:FeedPlan>>FP:1;0;0;;Phi:0;HCE:0,5"; },
                   "line 56: expected \"CSValues:FeedPlan>>FP:\" and the working plane"},
        TMalformed{"BadGeometrySettings",
                   [](auto& l) { l[56] = "Geometry Settings:Alpha:10;Gamma:80;DiscardInt:-1"; },
                   "line 57: expected \"Geometry "
                   "Settings:Alpha:..;Gamma:..;DiscardInt:..>>Accu:..;MarkNeg:..\""},
        // The table cannot be shown with more decimals than the settings allow.
        TMalformed{"TableAccuracyOutOfRange",
                   [](auto& l) {
                       l[56] =
                           "Geometry Settings:Alpha:10;Gamma:80;DiscardInt:-1>>Accu:7;MarkNeg:-1";
                   },
                   "line 57: expected a table accuracy (\"Accu:\") of 0 to 6, found 7"}),
    [](const testing::TestParamInfo<TMalformed>& info) { return info.param.Name; });

// The largest single allocation `parse` makes.
std::size_t LargestRequestOf(const std::function<void()>& parse) {
    gLargestRequest.store(0);
    gProbing.store(true);
    parse();
    gProbing.store(false);
    return gLargestRequest.load();
}

// The example file with its lines edited, ended as the writer ends it.
std::string EditedExample(const std::function<void(std::vector<std::string>&)>& edit) {
    std::vector<std::string> lines = ExampleLines();
    edit(lines);
    return JoinCrLf(lines);
}

// An empty document whose count at `countLine` (0-based) says `count`, followed (after
// the label line under it) by `fillerLines` empty lines: as many lines as the count
// asks for, but far fewer bytes than its records take.
std::string EmptyDocumentWithCount(std::size_t countLine, std::int64_t count,
                                   std::size_t fillerLines) {
    const std::string text = ProjectText(TModel(','), "", ',');
    const std::vector<std::string_view> views = SplitLines(text);
    std::vector<std::string> lines(views.begin(), views.end());
    std::string& line = lines.at(countLine);
    line = line.substr(0, line.find(':') + 1) + std::to_string(count);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(countLine + 2), fillerLines, "");
    return JoinCrLf(lines);
}

struct TRefusal {
    const char* Name;
    std::function<std::string()> Text;
    std::size_t Line;     // 1-based line the reason names
    const char* Phrase;   // a part of the reason
    std::size_t Records;  // for a count: the memory the records would have taken
};

class RefusedProjectTest : public testing::TestWithParam<TRefusal> {};

// Damage that used to load with other data, or to allocate what the count said before
// failing: refused at its line, and a count before anything is allocated for it.
TEST_P(RefusedProjectTest, FailsAtItsLine) {
    const TRefusal& c = GetParam();
    const std::string text = c.Text();
    model::TFileList list;
    model::TResult result = model::TResult::Success();
    const std::size_t largest = LargestRequestOf([&] { result = ParseProject(text, list); });
    ASSERT_FALSE(result);
    const std::string where = "line " + std::to_string(c.Line) + ": ";
    EXPECT_EQ(result.Reason().substr(0, where.size()), where) << result.Reason();
    EXPECT_NE(result.Reason().find(c.Phrase), std::string::npos) << result.Reason();
    EXPECT_EQ(list.StlFileName, "");
    if (c.Records > 0) {
        EXPECT_LT(largest, c.Records) << result.Reason();
    }
}

TEST_P(RefusedProjectTest, SaysWhyInRussian) {
    const TRefusal& c = GetParam();
    const test::TRussianMessages russian;
    model::TFileList list;
    const model::TResult result = ParseProject(c.Text(), list);
    ASSERT_FALSE(result);
    const std::string where = "строка " + std::to_string(c.Line) + ": ";
    EXPECT_TRUE(result.Reason().starts_with(where)) << result.Reason();
    EXPECT_TRUE(test::StrayLatinWords(result.Reason()).empty()) << result.Reason();
}

constexpr std::size_t kBigPolygons = 200000;
constexpr std::size_t kBigSegments = 20000;

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedProjectTest,
    testing::Values(
        // The name moves down a line and an empty one would be read in its place.
        TRefusal{"SettingsLineTwice",
                 [] { return EditedExample([](auto& l) { l.insert(l.begin() + 57, l[56]); }); }, 58,
                 "expected an empty line before the STL file name", 0},
        TRefusal{"EmptyLineBeforeTheNameTwice",
                 [] { return EditedExample([](auto& l) { l.insert(l.begin() + 57, ""); }); }, 59,
                 "found an empty line with more text after it in line 60", 0},
        // The writer ends every line with CR LF; a last line without a break was cut.
        TRefusal{"CutInsideTheName",
                 [] {
                     const std::string text = EditedExample([](auto&) {});
                     return text.substr(0, text.size() - 6);
                 },
                 59, "the file ends inside the line", 0},
        TRefusal{"CutBeforeTheNamesLineBreak",
                 [] {
                     const std::string text = EditedExample([](auto&) {});
                     return text.substr(0, text.size() - 2);
                 },
                 59, "the file ends inside the line", 0},
        // A line per record but not the bytes: the old check let these allocate.
        TRefusal{"AllPolygonsOnEmptyLines",
                 [] { return EmptyDocumentWithCount(7, kBigPolygons, kBigPolygons); }, 8,
                 "a count of polygons that fits the file, found 200000",
                 kBigPolygons * sizeof(TPolygon)},
        TRefusal{"FrontPolygonsOnEmptyLines",
                 [] { return EmptyDocumentWithCount(10, kBigPolygons, kBigPolygons); }, 11,
                 "a count of polygons that fits the file", kBigPolygons * sizeof(TPolygon)},
        TRefusal{"SegmentsOnEmptyLines",
                 [] { return EmptyDocumentWithCount(4, kBigSegments, 10 * kBigSegments); }, 5,
                 "a count of segments that fits the file, found 20000",
                 kBigSegments * sizeof(TSegment)},
        TRefusal{"SelectedSegmentsOnEmptyLines",
                 [] { return EmptyDocumentWithCount(26, kBigSegments, 10 * kBigSegments); }, 27,
                 "a count of segments that fits the file", kBigSegments * sizeof(TSegment)},
        // The largest count there is, in a file of a few lines.
        TRefusal{"LargestPolygonCount", [] { return EmptyDocumentWithCount(7, 2147483647, 0); }, 8,
                 "so many take at least 107374182350 bytes", 0}),
    [](const testing::TestParamInfo<TRefusal>& info) { return info.param.Name; });

// The shortest records the reader takes, so the bound is never too tight: a file of
// them just fits its counts.
TEST(ProjectReaderTest, ShortestRecordsStillFitTheirCounts) {
    const std::string polygon = "Vert1:0;0;0;Vert2:0;0;0;Vert3:0;0;0;Normal:0;0;0;";
    const std::vector<std::string> block{"1",
                                         "0;0;0;:Point2:0;0;0;",
                                         "0;0;0;",
                                         "0",
                                         polygon,
                                         polygon,
                                         "0;A:0;L:0",
                                         "0;A:0;L:0;F:0",
                                         "0;A:0;L:0;F:0",
                                         "0;A:0;L:0;F:0"};
    std::vector<std::string> lines{"", "", "", "", "Number of segments:1", ""};
    lines.insert(lines.end(), block.begin(), block.end());
    for (const char* section : {"all", "front", "back", "other"}) {
        lines.insert(lines.end(),
                     {"", std::string("Number of ") + section + " polygons:1", "", polygon});
    }
    lines.insert(lines.end(), {"", "Zmax:0", "Zmin:0", "Ymax:0", "Ymin:0", "Xmax:0", "Xmin:0", "",
                               "Number of select segments:1", ""});
    lines.insert(lines.end(), block.begin(), block.end());
    lines.insert(lines.end(),
                 {"", "Surface exist:0", "Surface sorted:0", "CutEdge exist:0",
                  "Select cutedge exist:0", "Current CS:ISK", "", "", "SSK>>OP:0;0;1;;GN:0;Mu:0",
                  "KSK>>OP:0;0;1;;Eta:0", "DSK>>SP:0;0;1;;Nu:0", "FeedPlan>>FP:0;0;1;;Phi:0;HCE:0",
                  "Alpha:10;Gamma:80;DiscardInt:-1>>Accu:4;MarkNeg:-1", "", "a"});
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    model::TFileList list;
    const model::TResult result = ParseProject(text, list);
    ASSERT_TRUE(result) << result.Reason();
    EXPECT_EQ(list.CutEdge.size(), 1u);
    EXPECT_EQ(list.SelectCutEdge.size(), 1u);
    EXPECT_EQ(list.OtherPolygons.size(), 1u);
    EXPECT_EQ(list.StlFileName, "a");
}

// Tails that end otherwise than the writer's but carry the whole name.
TEST(ProjectReaderTest, TailsThatKeepTheNameRead) {
    const std::string example = EditedExample([](auto&) {});
    const std::string emptyName = ProjectText(TModel(','), "", ',');
    const std::vector<std::pair<std::string, std::string>> cases{
        {example.substr(0, example.size() - 1), "C:\\Models\\insert.stl"},  // cut after CR
        {example + "\r\n\r\n", "C:\\Models\\insert.stl"},
        {emptyName + "\r\n", ""},
    };
    for (const auto& [text, name] : cases) {
        model::TFileList list;
        const model::TResult result = ParseProject(text, list);
        ASSERT_TRUE(result) << result.Reason();
        EXPECT_EQ(list.StlFileName, name);
    }
}

// What the writer made and what is checked in reads, and writes back byte for byte.
TEST(ProjectReaderTest, StoredFilesReadAndWriteBack) {
    const std::vector<std::pair<std::string, char>> files{
        {"project/example.tsf", ','},
        {"../golden/road.tsf", ','},
        {"../golden/narrowed.tsf", '.'},
    };
    for (const auto& [file, separator] : files) {
        const std::string text = ReadBytes(test::FixturePath(file));
        ASSERT_FALSE(text.empty()) << file;
        TModel model(separator);
        std::string name;
        const model::TResult result = ReadText(text, model, name);
        ASSERT_TRUE(result) << file << ": " << result.Reason();
        EXPECT_FALSE(name.empty()) << file;
        EXPECT_EQ(ProjectText(model, name, separator), text) << file;
    }
}

TEST(ProjectReaderTest, MissingFileIsReportedWithItsName) {
    TTempDir dir;
    const std::string path = dir.File("absent.tsf");
    TModel model(',');
    std::string name = "kept";
    const std::string before = Snapshot(model);
    const model::TResult result = LoadProject(model, path, name);
    ASSERT_FALSE(result);
    EXPECT_NE(result.Reason().find(path), std::string::npos) << result.Reason();
    EXPECT_NE(result.Reason().find("No such file or directory"), std::string::npos);
    EXPECT_EQ(Snapshot(model), before);
    EXPECT_EQ(name, "kept");
}

TEST(ProjectReaderTest, MissingFileIsReportedInRussian) {
    const test::TRussianMessages russian;
    TTempDir dir;
    const std::string path = dir.File("absent.tsf");
    TModel model(',');
    std::string name;
    const model::TResult result = LoadProject(model, path, name);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.Reason(), "Не удаётся открыть " + path + ": Нет такого файла или каталога");
}

TEST(ProjectReaderTest, BigPolygonListReportsTheFirstBadLine) {
    // Big lists are read in two halves at once; with a bad line in each half the
    // earlier one is reported, as a single pass would.
    TModel model(',');
    constexpr int kCount = 20000;
    model.SurfaceData.Polygons.assign(kCount, TPolygon{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 0, 1}});
    model.SurfaceData.PolygonCount = kCount;
    const std::string text = ProjectText(model, "", ',');
    std::vector<std::string_view> views = SplitLines(text);
    std::vector<std::string> lines(views.begin(), views.end());
    model::TFileList list;
    ASSERT_TRUE(ParseProject(JoinCrLf(lines), list));
    EXPECT_EQ(list.Polygons.size(), static_cast<std::size_t>(kCount));
    lines[9 + 15000] = "Vert1:broken";
    model::TResult result = ParseProject(JoinCrLf(lines), list);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.Reason().substr(0, 12), "line 15010: ");
    lines[9 + 10] = "Vert1:broken";
    result = ParseProject(JoinCrLf(lines), list);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.Reason().substr(0, 9), "line 20: ");
    EXPECT_TRUE(list.Polygons.empty());
}

TEST(ProjectReaderTest, SortedListsReadAsTheirOwnLinesSay) {
    // Lines of a sorted list that repeat an "all" line take that polygon; any other line
    // is read for itself, and a bad one fails at its own line.
    TModel model(',');
    constexpr int kCount = 20000;
    for (int i = 0; i < kCount; ++i) {
        model.SurfaceData.Polygons.push_back(
            {{i + 0.5, 1, 2}, {3, i * 0.25, 5}, {6, 7, 8}, {0, 0, 1}});
    }
    model.SurfaceData.PolygonCount = kCount;
    model.SurfaceData.OtherPolygons = model.SurfaceData.Polygons;
    const std::string text = ProjectText(model, "", ',');
    const std::vector<std::string_view> views = SplitLines(text);
    std::vector<std::string> lines(views.begin(), views.end());
    const std::size_t otherFirst = 9 + kCount + 9;  // past two empty sections
    ASSERT_EQ(lines[otherFirst - 2], "Number of other polygons:20000");
    lines[otherFirst + 7] = "Vert1:-1;-2;-3;Vert2:0;0;0;Vert3:0;0;0;Normal:1;0;0;";
    lines[otherFirst + 100] = "Vert1:100.5;1;2;Vert2:3;25;5;Vert3:6;7;8;Normal:0;0;1;";

    model::TFileList list;
    model::TResult result = ParseProject(JoinCrLf(lines), list);
    ASSERT_TRUE(result) << result.Reason();
    ASSERT_EQ(list.OtherPolygons.size(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(list.OtherPolygons[7].Vert1, (model::TVector3{-1, -2, -3}));
    EXPECT_EQ(list.OtherPolygons[100], model.SurfaceData.Polygons[100]);
    for (int i : {0, 8, 99, 101, kCount - 1}) {
        EXPECT_EQ(list.OtherPolygons[i], model.SurfaceData.Polygons[i]) << i;
    }

    lines[otherFirst + 15000] = "Vert1:broken";
    result = ParseProject(JoinCrLf(lines), list);
    ASSERT_FALSE(result);
    const std::string where = "line " + std::to_string(otherFirst + 15001) + ": ";
    EXPECT_EQ(result.Reason().substr(0, where.size()), where);
}

}  // namespace
}  // namespace tessarin::project
