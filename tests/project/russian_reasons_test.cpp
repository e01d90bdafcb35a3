// Under the Russian message language every reason the core gives says everything in
// Russian but the file it names and the input it quotes: a table of failing inputs, from
// the file system up to the analysis steps. The readers' own damage tables have their
// Russian runs beside them (stl_reader_test, project_reader_test, project_extensions_test).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "base/text_file.h"
#include "model/analysis_steps.h"
#include "model/import_options.h"
#include "model/model.h"
#include "model/stl_reader.h"
#include "project/project_reader.h"
#include "project/project_writer.h"
#include "tests/support/fixtures.h"
#include "tests/support/russian_reasons.h"
#include "tests/support/temp_dir.h"

namespace tessarin::project {
namespace {

using model::TResult;
using test::TTempDir;
using ::testing::IsEmpty;

struct TFailingInput {
    const char* Name;
    // Makes the failure in `dir`; `file` is set to the file name the reason may name.
    std::function<TResult(const TTempDir& dir, std::string& file)> Run;
    const char* Phrase;  // a part of the Russian reason
};

TResult OpenText(const std::string& path) {
    base::TFileContents contents;
    return contents.Open(path);
}

TResult LoadStlText(const std::string& text, const model::TImportOptions& options) {
    model::TSurFaceData surface;
    return model::LoadSTLFromMemory(surface, text, "case.stl", options, nullptr,
                                    model::NullProgress(), std::numeric_limits<std::size_t>::max());
}

const char* const kOneFacet =
    "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 1e306 0 0\n   vertex 0 1 0\n"
    "   vertex 0 0 1\n  endloop\n endfacet\nendsolid t\n";

const TFailingInput kInputs[] = {
    {"MissingFile",
     [](const TTempDir& dir, std::string& file) {
         file = dir.File("absent.stl");
         model::TSurFaceData surface;
         return surface.LoadSTL(file);
     },
     "Нет такого файла или каталога"},
    {"FolderAsFile",
     [](const TTempDir& dir, std::string& file) {
         file = dir.Path.string();
         return OpenText(file);
     },
     "Это каталог"},
    {"Device",
     [](const TTempDir&, std::string& file) {
         file = "/dev/null";
         return OpenText(file);
     },
     "это не обычный файл (символьное устройство)"},
    {"FileAsFolder",
     [](const TTempDir& dir, std::string& file) {
         test::WriteBytes(dir.File("plain"), "x");
         file = dir.File("plain/inside.tsf");
         return OpenText(file);
     },
     "Это не каталог"},
    {"LinkLoop",
     [](const TTempDir& dir, std::string& file) {
         file = dir.File("loop.stl");
         std::filesystem::create_symlink(file, file);
         return OpenText(file);
     },
     "Слишком много уровней символических ссылок"},
    {"WriteIntoMissingFolder",
     [](const TTempDir& dir, std::string& file) {
         file = dir.File("absent/out.tsf");
         return base::WriteFileAtomically(file, "x");
     },
     "Не удаётся записать"},
    {"WriteOverFolder",
     [](const TTempDir& dir, std::string& file) {
         file = dir.File("folder");
         std::filesystem::create_directory(file);
         return base::WriteFileAtomically(file, "x");
     },
     "это не обычный файл (каталог)"},
    {"SaveProjectOverFolder",
     [](const TTempDir& dir, std::string& file) {
         file = dir.File("folder.tsf");
         std::filesystem::create_directory(file);
         model::TModel model(',');
         return SaveProject(model, file, "model.stl", ',');
     },
     "Не удаётся записать"},
    {"ProjectFromStlFile",
     [](const TTempDir&, std::string& file) {
         file = test::FixturePath("stl/ascii_single_facet.stl");
         model::TModel model(',');
         std::string name;
         return LoadProject(model, file, name);
     },
     "ожидалось"},
    {"ZeroToolAxis",
     [](const TTempDir&, std::string& file) {
         file = "case.stl";
         model::TImportOptions options;
         options.Axis = {0.0, 0.0, 0.0};
         return LoadStlText(kOneFacet, options);
     },
     "ось инструмента (0, 0, 0) не задаёт направления"},
    {"InfiniteOrigin",
     [](const TTempDir&, std::string& file) {
         file = "case.stl";
         model::TImportOptions options;
         options.Origin = model::TOriginChoice::Point;
         options.OriginPoint = {std::numeric_limits<double>::infinity(), 0.0, 0.0};
         return LoadStlText(kOneFacet, options);
     },
     "начало координат"},
    {"CoordinateBeyondDoubleInMillimetres",
     [](const TTempDir&, std::string& file) {
         file = "case.stl";
         model::TImportOptions options;
         options.Unit = model::TLengthUnit::Metre;
         return LoadStlText(kOneFacet, options);
     },
     "грань 1: координата в единицах «м»"},
    {"MainSegmentOffTheEdge",
     [](const TTempDir&, std::string&) {
         model::TModel model(',');
         model.WorkingCS.FeedPlan.HCE = 3;
         return model.PreviewFeedPlan(30.0);
     },
     "главный отрезок рабочей плоскости (номер 3) не лежит на режущей кромке"},
    {"SortWithoutPolygons",
     [](const TTempDir&, std::string&) {
         model::TModel model(',');
         return model::SortAgain(model, model::kDefaultGeometrySettings);
     },
     "в модели нет граней для сортировки"},
};

class RussianReasonTest : public testing::TestWithParam<TFailingInput> {};

TEST_P(RussianReasonTest, SaysAllButTheFileAndTheQuotesInRussian) {
    const TFailingInput& c = GetParam();
    TTempDir dir;
    std::string file;
    {
        // The same failure in English first: the default, word for word as before.
        const TResult english = c.Run(dir, file);
        ASSERT_FALSE(english);
        EXPECT_THAT(test::StrayLatinWords(english.Reason(), file), testing::Not(IsEmpty()))
            << english.Reason();
    }
    std::filesystem::remove_all(dir.Path);
    std::filesystem::create_directories(dir.Path);
    const test::TRussianMessages russian;
    const TResult result = c.Run(dir, file);
    ASSERT_FALSE(result);
    EXPECT_THAT(result.Reason(), testing::HasSubstr(c.Phrase));
    EXPECT_THAT(test::StrayLatinWords(result.Reason(), file), IsEmpty()) << result.Reason();
    if (!file.empty()) {
        EXPECT_THAT(result.Reason(), testing::HasSubstr(file));
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, RussianReasonTest, testing::ValuesIn(kInputs),
                         [](const testing::TestParamInfo<TFailingInput>& info) {
                             return info.param.Name;
                         });

}  // namespace
}  // namespace tessarin::project
