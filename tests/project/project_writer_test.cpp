#include "project/project_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "base/text_file.h"
#include "model/tolerances.h"
#include "project/project_reader.h"
#include "project/value_codecs.h"
#include "samples/sample_tool.h"
#include "tests/support/fixtures.h"
#include "tests/support/recording_progress.h"
#include "tests/support/sample_road.h"
#include "tests/support/temp_dir.h"

namespace tessarin::project {
namespace {

using test::ReadBytes;
using test::TRecordingProgress;
using test::TTempDir;

namespace fs = std::filesystem;
using base::SplitLines;
using model::TModel;
using model::TPolygon;
using model::TSegment;

// The right-angled wedge of the format's example: one rake, one flank and one bottom
// triangle, one segment on the shared edge, the tool-system angles computed (all 0).
TModel ExampleModel() {
    TModel model(',');
    const TPolygon front{{10, 0, 0}, {10, 5, 0}, {5, 2.5, 0}, {0, 0, 1}};
    const TPolygon back{{10, 0, 0}, {10, 5, 0}, {10, 2.5, -3}, {1, 0, 0}};
    const TPolygon other{{10, 0, -3}, {5, 2.5, -3}, {10, 5, -3}, {0, 0, -1}};
    model::TSurFaceData& surface = model.SurfaceData;
    surface.SurfaceExist = true;
    surface.SurfaceSorted = true;
    surface.Polygons = {front, back, other};
    surface.FrontPolygons = {front};
    surface.BackPolygons = {back};
    surface.OtherPolygons = {other};
    surface.PolygonCount = 3;
    surface.FrontCount = 1;
    surface.BackCount = 1;
    surface.OtherCount = 1;
    surface.Zmax = 0;
    surface.Zmin = -3;
    surface.Xmax = 10;
    surface.Xmin = 0;
    surface.Ymax = 5;
    surface.Ymin = 0;
    surface.GeometrySettings = model::kDefaultGeometrySettings;

    TSegment segment;
    segment.Point1 = {10, 0, 0};
    segment.Point2 = {10, 5, 0};
    segment.Direct = {0, 5, 0};
    segment.Polar = 14.0362434679265;
    segment.Front = front;
    segment.Back = back;
    segment.Number = 1;
    model.CutEdge = {segment};
    model.SegmentCount = 1;
    model.CutEdgeExist = true;
    model.DefinedAngles = {true, false, false, false};
    return model;
}

TEST(ProjectWriterTest, ReproducesTheExampleFileByteForByte) {
    const std::string expected = ReadBytes(test::FixturePath("project/example.tsf"));
    ASSERT_FALSE(expected.empty()) << "fixture missing";
    const std::string written = ProjectText(ExampleModel(), "C:\\Models\\insert.stl", ',');
    if (written != expected) {
        // Keep the output beside the reference for a diff.
        const std::string failed = (fs::temp_directory_path() / "example.tsf.failed").string();
        std::ofstream(failed, std::ios::binary) << written;
        ADD_FAILURE() << "written text differs from the fixture; kept in " << failed;
    }
    EXPECT_EQ(SplitLines(written).size(), 59u);
}

// The name is the file's last line: a CR or LF in it would cut it on reopening.
TEST(ProjectWriterTest, LineBreaksInTheStlNameAreWrittenAsBlanks) {
    const std::string name = "C:\\Модели\r\nпластина\r№2\nend\r\n.stl";
    const std::string blanked = "C:\\Модели  пластина №2 end  .stl";
    const std::string text = ProjectText(ExampleModel(), name, ',');
    const std::string plain = ProjectText(ExampleModel(), blanked, ',');
    EXPECT_EQ(text, plain);
    ASSERT_EQ(SplitLines(text).size(), 59u);
    EXPECT_EQ(SplitLines(text).back(), blanked);

    model::TFileList list;
    const model::TResult read = ParseProject(text, list);
    ASSERT_TRUE(read) << read.Reason();
    EXPECT_EQ(list.StlFileName, blanked);
}

TEST(ProjectWriterTest, EmptyDocumentHas43Lines) {
    const TModel empty(',');
    const std::string text = ProjectText(empty, "", ',');
    const std::vector<std::string_view> lines = SplitLines(text);
    const std::vector<std::string_view> expected{
        "=====Tessarin 1 TextFile=====",
        "",
        "-----Model-----",
        "",
        "Number of segments:0",
        "Segments:",
        "",
        "Number of all polygons:0",
        "Polygons:",
        "",
        "Number of front polygons:0",
        "Polygons:",
        "",
        "Number of back polygons:0",
        "Polygons:",
        "",
        "Number of other polygons:0",
        "Polygons:",
        "",
        "Zmax:0",
        "Zmin:0",
        "Ymax:0",
        "Ymin:0",
        "Xmax:0",
        "Xmin:0",
        "",
        "Number of select segments:0",
        "Segments:",
        "",
        "Surface exist:0",
        "Surface sorted:0",
        "CutEdge exist:0",
        "Select cutedge exist:0",
        "Current CS:ISK",
        "Existed CS:SSK-;KSK-;DSK-;FeedPlan-",
        "Defined Angles:ISK-;SSK-;KSK-;DSK-",
        "CSValues:SSK>>OP:0;0;1;;GN:0;Mu:0",
        "CSValues:KSK>>OP:0;0;0;;Eta:0",
        "CSValues:DSK>>SP:0;0;0;;Nu:45",
        "CSValues:FeedPlan>>FP:1;0;0;;Phi:0;HCE:0",
        "Geometry Settings:Alpha:0;Gamma:0;DiscardInt:0>>Accu:0;MarkNeg:0",
        "",
        "",
    };
    EXPECT_EQ(lines, expected);
    // Every line, the last included, ends with CR LF, and there is no other break.
    EXPECT_EQ(text.size() >= 4 ? text.substr(text.size() - 4) : text, "\r\n\r\n");
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++breaks;
            EXPECT_EQ(text[i - 1], '\r') << "at " << i;
        }
    }
    EXPECT_EQ(breaks, 43u);
}

TEST(ProjectWriterTest, CountsAlwaysMatchTheEntriesWritten) {
    // A stated count beyond its list would announce lines that are not there, and the
    // file would not open again: only existing entries are written and counted.
    TModel model = ExampleModel();
    model.SegmentCount = 5;
    model.SurfaceData.PolygonCount = 7;
    model.SurfaceData.FrontCount = -2;
    const std::string text = ProjectText(model, "", ',');
    const std::vector<std::string_view> lines = SplitLines(text);
    EXPECT_EQ(lines[4], "Number of segments:1");
    EXPECT_EQ(lines[17], "Number of all polygons:3");
    EXPECT_EQ(lines[23], "Number of front polygons:0");

    // An unsorted model writes its polygons only in the "all" list.
    TModel unsorted = ExampleModel();
    unsorted.SurfaceData.FrontPolygons.clear();
    unsorted.SurfaceData.BackPolygons.clear();
    unsorted.SurfaceData.OtherPolygons.clear();
    unsorted.SurfaceData.FrontCount = 0;
    unsorted.SurfaceData.BackCount = 0;
    const std::string plainText = ProjectText(unsorted, "", ',');
    const std::vector<std::string_view> plain = SplitLines(plainText);
    EXPECT_EQ(plain.size(), 43u + 10u + 3u);
    EXPECT_EQ(plain[23], "Number of front polygons:0");
    EXPECT_EQ(plain[26], "Number of back polygons:0");
    EXPECT_EQ(plain[29], "Number of other polygons:0");
}

TEST(ProjectWriterTest, BigPolygonListsKeepTheirOrder) {
    // Large lists are formatted in two halves at once, and the lines of the sorted lists
    // are copied from the "all" section where the polygon is the same: every line must
    // still be the polygon's own text, in list order.
    TModel model(',');
    model::TSurFaceData& surface = model.SurfaceData;
    constexpr int kCount = 20001;
    for (int i = 0; i < kCount; ++i) {
        const double x = i + 0.125;
        surface.Polygons.push_back({{x, -x, 1.0 / (i + 1)}, {x, 0, 0}, {0, x, 0}, {0, 0, 1}});
    }
    surface.PolygonCount = kCount;
    // Every other polygon, with polygons of no other list among them, one of them
    // equal in value but not in bits (-0 against 0).
    for (int i = 0; i < kCount; i += 2) {
        surface.FrontPolygons.push_back(surface.Polygons[i]);
        if (i % 5000 == 0) {
            surface.FrontPolygons.push_back(
                {{kCount + 0.5, 1, 2}, {3, 4, 5}, {6, 7, 8}, {0, 1, 0}});
        }
    }
    surface.FrontPolygons[1].Normal.x = -0.0;
    surface.FrontCount = static_cast<std::int32_t>(surface.FrontPolygons.size());
    // Not in the order of the "all" list at all.
    surface.BackPolygons.assign(surface.Polygons.rbegin(), surface.Polygons.rend());
    surface.BackCount = kCount;
    surface.OtherPolygons = surface.Polygons;

    const std::string text = ProjectText(model, "", '.');
    const std::vector<std::string_view> lines = SplitLines(text);
    const std::size_t front = surface.FrontPolygons.size();
    ASSERT_EQ(lines.size(), 43u + 3u * kCount + front);
    EXPECT_EQ(lines[7], "Number of all polygons:20001");
    std::size_t at = 9;
    for (const model::TSurface* list : {&surface.Polygons, &surface.FrontPolygons,
                                        &surface.BackPolygons, &surface.OtherPolygons}) {
        EXPECT_EQ(lines[at - 2].substr(lines[at - 2].find(':') + 1), std::to_string(list->size()));
        for (std::size_t i = 0; i < list->size(); ++i) {
            ASSERT_EQ(lines[at + i], PolygonToStr((*list)[i], '.')) << "line " << at + i;
        }
        at += list->size() + 3;
    }
}

TEST(SaveProjectTest, WritesTheFileReportsProgressAndSetsModified) {
    TTempDir dir;
    const std::string path = dir.File("insert.tsf");
    TModel model = ExampleModel();
    TRecordingProgress progress;
    ASSERT_TRUE(SaveProject(model, path, "C:\\Models\\insert.stl", ',', progress));
    EXPECT_TRUE(model.SurfaceData.Modified);  // saving does not clear it
    EXPECT_EQ(progress.Text, "Сохранение файла >>");
    EXPECT_EQ(progress.Maximum, 3);
    EXPECT_EQ(progress.Stepped, 3);
    EXPECT_FALSE(progress.Running);
    const std::string first = ReadBytes(path);
    EXPECT_EQ(first, ReadBytes(test::FixturePath("project/example.tsf")));

    // Saving again over the file gives the same bytes and leaves nothing else behind.
    ASSERT_TRUE(SaveProject(model, path, "C:\\Models\\insert.stl", ','));
    EXPECT_EQ(ReadBytes(path), first);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

TEST(SaveProjectTest, FailedSaveKeepsThePreviousFileAndSaysWhy) {
    TTempDir dir;
    TModel model = ExampleModel();
    // The folder does not exist; the target is a folder (the rename over it fails).
    fs::create_directory(dir.File("folder.tsf"));
    for (const std::string& path : {dir.File("absent/insert.tsf"), dir.File("folder.tsf")}) {
        model.SurfaceData.Modified = false;
        TRecordingProgress progress;
        const model::TResult result = SaveProject(model, path, "", ',', progress);
        ASSERT_FALSE(result) << path;
        EXPECT_NE(result.Reason().find(path), std::string::npos) << result.Reason();
        EXPECT_TRUE(model.SurfaceData.Modified);
        EXPECT_FALSE(progress.Running) << "progress finished on failure";
        EXPECT_LT(progress.Stepped, 3);
    }
    EXPECT_TRUE(fs::is_directory(dir.File("folder.tsf")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

TEST(SaveProjectTest, SaveThatRunsOutOfSpaceKeepsTheOldProject) {
    TTempDir dir;
    const std::string path = dir.File("insert.tsf");
    {
        std::ofstream old(path, std::ios::binary);
        old << "old project\r\n";
    }
    // A file-size limit below the project's size makes the write fail like a full disk,
    // which chmod cannot do for root.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 512;
    auto* previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    TModel model = ExampleModel();
    const model::TResult result = SaveProject(model, path, "C:\\Models\\insert.stl", ',');
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    ASSERT_FALSE(result);
    EXPECT_NE(result.Reason().find(path), std::string::npos) << result.Reason();
    EXPECT_EQ(ReadBytes(path), "old project\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 1);
}

// The sample tool at about 100 000 facets with every section of the file: the cutting
// edge, the angles of every system, a selection, and an extension section.
TModel AnalysedHundredThousandFacets() {
    TModel model(',');
    model::TSurFaceData& surface = model.SurfaceData;
    surface.GeometrySettings = model::kDefaultGeometrySettings;
    surface.Polygons = samples::GenerateSampleTool(samples::LayoutForFacets(100000));
    surface.PolygonCount = static_cast<std::int32_t>(surface.Polygons.size());
    surface.SurfaceExist = true;
    surface.SortSurfaces();
    EXPECT_TRUE(model.FindCutEdge());
    test::DefineAndComputeSampleRoad(model);
    for (std::size_t i = 0; i < model.CutEdge.size(); i += 3) {
        model.SelectCutEdge.push_back(model.CutEdge[i]);
    }
    model.SelectCutEdgeExist = !model.SelectCutEdge.empty();
    surface.ImportOptions.Unit = model::TLengthUnit::Inch;
    model::SetTolerance(model.Tolerances, {model::AllAngles().front(), 5, -0.5, 0.25});
    return model;
}

// SaveProject streams the file in chunks, formats big lists on two threads and copies the
// sorted lists' lines back from what it has written; the file must still be the text
// ProjectText gives at once, for lists in the order of all polygons, out of it (formatted
// again), holding polygons that are not in it, and counts below the lists.
TEST(SaveProjectTest, StreamedFileEqualsTheTextMadeInMemory) {
    const TModel big = AnalysedHundredThousandFacets();
    ASSERT_GE(big.SurfaceData.Polygons.size(), 90000u);
    ASSERT_FALSE(big.SelectCutEdge.empty());
    TModel road(',');
    std::string roadName;
    ASSERT_TRUE(LoadProject(road, test::FixturePath("../golden/road.tsf"), roadName));
    ASSERT_TRUE(road.SelectCutEdgeExist);

    TModel reversed = big;
    std::reverse(reversed.SurfaceData.FrontPolygons.begin(),
                 reversed.SurfaceData.FrontPolygons.end());
    TModel foreign = big;
    for (std::size_t i = 0; i < foreign.SurfaceData.OtherPolygons.size(); i += 7) {
        foreign.SurfaceData.OtherPolygons[i].Normal.x += 0.125;
    }
    TModel shortCounts = big;
    shortCounts.SurfaceData.PolygonCount -= 1000;
    shortCounts.SurfaceData.BackCount -= 10;

    const std::vector<std::pair<std::string, const TModel*>> cases = {
        {"example", nullptr},          {"golden road", &road},       {"100k facets", &big},
        {"front reversed", &reversed}, {"foreign others", &foreign}, {"short counts", &shortCounts},
    };
    const TModel example = ExampleModel();
    TTempDir dir;
    for (const auto& [name, given] : cases) {
        // The decimal separator only changes the formatting, tried once on the big model.
        for (const char separator : name == "100k facets" ? std::string(",.") : std::string(",")) {
            TModel model = given != nullptr ? *given : example;
            const std::string path = dir.File("streamed.tsf");
            ASSERT_TRUE(SaveProject(model, path, "C:\\Models\\cutter.stl", separator)) << name;
            const std::string expected = ProjectText(model, "C:\\Models\\cutter.stl", separator);
            const std::string written = ReadBytes(path);
            ASSERT_EQ(written.size(), expected.size()) << name << " " << separator;
            EXPECT_TRUE(written == expected)
                << name << " " << separator << ": differs at byte "
                << std::mismatch(written.begin(), written.end(), expected.begin()).first -
                       written.begin();
        }
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"streamed.tsf"});
}

// A write that fails part way through a big file (the file-size limit stands in for a
// full disk) and a target that cannot take a file leave no file and no temporary, and say
// why.
TEST(SaveProjectTest, StreamedSaveThatFailsMidwayLeavesNothingBehind) {
    TModel model = AnalysedHundredThousandFacets();
    TTempDir dir;
    const std::string path = dir.File("big.tsf");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    for (const rlim_t limit : {rlim_t{3} << 20, rlim_t{20} << 20}) {
        rlimit limited = saved;
        limited.rlim_cur = limit;
        auto* previousHandler = ::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const model::TResult result = SaveProject(model, path, "cutter.stl", ',');
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, previousHandler);
        ASSERT_FALSE(result) << limit;
        EXPECT_NE(result.Reason().find(path), std::string::npos) << result.Reason();
        EXPECT_NE(result.Reason().find("File too large"), std::string::npos) << result.Reason();
        EXPECT_TRUE(dir.Entries().empty());
    }
    for (const std::string& target : {std::string("/dev/full"), dir.File("no/such/folder.tsf")}) {
        const model::TResult result = SaveProject(model, target, "cutter.stl", ',');
        ASSERT_FALSE(result) << target;
        EXPECT_NE(result.Reason().find(target), std::string::npos) << result.Reason();
    }
    EXPECT_TRUE(dir.Entries().empty());
}

}  // namespace
}  // namespace tessarin::project
