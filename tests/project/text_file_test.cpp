#include "project/text_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tessarin::project {
namespace {

namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards.
class TTempDir {
public:
    TTempDir() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        Path = fs::temp_directory_path() /
               ("tessarin-text-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(Path);
        fs::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
    std::string File(const std::string& name) const { return (Path / name).string(); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Path)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path Path;
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct TSplitCase {
    const char* Name;
    std::string Text;
    std::vector<std::string> Lines;
};

class SplitLinesTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitLinesTest, BreaksAtEveryKindOfLineEnd) {
    const TSplitCase& c = GetParam();
    const std::vector<std::string_view> lines = SplitLines(c.Text);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), c.Lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitLinesTest,
    testing::Values(
        TSplitCase{"Empty", "", {}}, TSplitCase{"NoBreak", "a", {"a"}},
        // A break at the very end adds no empty line, whatever its kind.
        TSplitCase{"FinalCrLf", "a\r\n", {"a"}}, TSplitCase{"FinalLf", "a\n", {"a"}},
        TSplitCase{"FinalCr", "a\r", {"a"}}, TSplitCase{"OnlyBreak", "\r\n", {""}},
        // The empty STL name at the end of a project file is a real line.
        TSplitCase{"EmptyLastLine", "a\r\n\r\n\r\n", {"a", "", ""}},
        TSplitCase{"LoneCr", "a\rb", {"a", "b"}}, TSplitCase{"LoneLf", "a\nb", {"a", "b"}},
        // CR CR LF is a lone CR and then CR LF; LF CR is two breaks.
        TSplitCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
        TSplitCase{"LfCr", "a\n\rb", {"a", "", "b"}},
        TSplitCase{"Mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        TSplitCase{"NulInsideLine", std::string("a\0b\r\nc", 6), {std::string("a\0b", 3), "c"}}),
    [](const testing::TestParamInfo<TSplitCase>& info) { return info.param.Name; });

TEST(FileContentsTest, ReadsAFileAndAnEmptyOne) {
    TTempDir dir;
    const std::string bytes = "line 1\r\nline 2\r\n\xCF\xF0\r\n";
    WriteBytes(dir.File("data.txt"), bytes);
    WriteBytes(dir.File("empty.txt"), "");

    TFileContents contents;
    ASSERT_TRUE(contents.Open(dir.File("data.txt"))) << "regular file";
    EXPECT_EQ(contents.Text(), bytes);

    // An empty file cannot be mapped; it must still open as an empty text.
    TFileContents empty;
    ASSERT_TRUE(empty.Open(dir.File("empty.txt")));
    EXPECT_TRUE(empty.Text().empty());

    // Opening again replaces the previous contents.
    ASSERT_TRUE(contents.Open(dir.File("empty.txt")));
    EXPECT_TRUE(contents.Text().empty());
}

TEST(FileContentsTest, FailureNamesTheFileAndTheSystemError) {
    TTempDir dir;
    struct TCase {
        std::string Path;
        const char* Error;
    };
    const TCase cases[] = {
        {dir.File("missing.tsf"), "No such file or directory"},
        {dir.Path.string(), "Is a directory"},
    };
    for (const TCase& c : cases) {
        TFileContents contents;
        const TResult result = contents.Open(c.Path);
        ASSERT_FALSE(result) << c.Path;
        EXPECT_NE(result.Reason().find(c.Path), std::string::npos) << result.Reason();
        EXPECT_NE(result.Reason().find(c.Error), std::string::npos) << result.Reason();
        EXPECT_TRUE(contents.Text().empty());
    }
}

TEST(FileContentsTest, MovedContentsStayValid) {
    TTempDir dir;
    WriteBytes(dir.File("mapped.txt"), "mapped text");
    TFileContents mapped;
    ASSERT_TRUE(mapped.Open(dir.File("mapped.txt")));
    TFileContents target = std::move(mapped);
    EXPECT_EQ(target.Text(), "mapped text");
    EXPECT_TRUE(mapped.Text().empty());  // NOLINT(bugprone-use-after-move)

    // Files of /proc report size 0 and are read into the buffer; "Linux\n" is short
    // enough to sit inside the string object, whose address changes with a move.
    TFileContents buffered;
    if (!buffered.Open("/proc/sys/kernel/ostype")) {
        GTEST_SKIP() << "no /proc here";
    }
    const std::string expected(buffered.Text());
    ASSERT_FALSE(expected.empty());
    TFileContents moved(std::move(buffered));
    EXPECT_EQ(moved.Text(), expected);
    target = std::move(moved);
    EXPECT_EQ(target.Text(), expected);
}

TEST(WriteFileAtomicallyTest, CreatesAndReplacesWithoutLeavingTemporaries) {
    TTempDir dir;
    const std::string target = dir.File("project.tsf");
    ASSERT_TRUE(WriteFileAtomically(target, "first\r\n"));
    EXPECT_EQ(ReadBytes(target), "first\r\n");
    ASSERT_TRUE(WriteFileAtomically(target, std::string("second\0\r\n", 9)));
    EXPECT_EQ(ReadBytes(target), std::string("second\0\r\n", 9));
    ASSERT_TRUE(WriteFileAtomically(target, ""));
    EXPECT_EQ(ReadBytes(target), "");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"project.tsf"});
}

TEST(WriteFileAtomicallyTest, FailureKeepsTheTargetAndRemovesTheTemporary) {
    TTempDir dir;
    // The temporary file cannot be created in a folder that does not exist.
    const std::string noFolder = dir.File("absent/project.tsf");
    TResult result = WriteFileAtomically(noFolder, "data");
    ASSERT_FALSE(result);
    EXPECT_NE(result.Reason().find(noFolder), std::string::npos) << result.Reason();

    // A directory cannot be replaced by a file: the rename fails after the write.
    const std::string folder = dir.File("folder.tsf");
    fs::create_directory(folder);
    result = WriteFileAtomically(folder, "data");
    ASSERT_FALSE(result);
    EXPECT_NE(result.Reason().find(folder), std::string::npos) << result.Reason();
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"folder.tsf"});
}

TEST(WriteFileAtomicallyTest, FullDiskKeepsThePreviousFile) {
    TTempDir dir;
    const std::string target = dir.File("project.tsf");
    WriteBytes(target, "previous contents\r\n");

    // A file-size limit makes write() fail with EFBIG, like a full disk, even for root.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    auto* previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const TResult result = WriteFileAtomically(target, std::string(64 * 1024, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    ASSERT_FALSE(result);
    EXPECT_NE(result.Reason().find(target), std::string::npos) << result.Reason();
    EXPECT_EQ(ReadBytes(target), "previous contents\r\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"project.tsf"});
}

struct TDecodeCase {
    const char* Name;
    std::string Bytes;
    std::string Utf8;
};

class DecodeLegacyTextTest : public testing::TestWithParam<TDecodeCase> {};

TEST_P(DecodeLegacyTextTest, KeepsUtf8AndDecodesWindows1251) {
    EXPECT_EQ(DecodeLegacyText(GetParam().Bytes), GetParam().Utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeLegacyTextTest,
    testing::Values(TDecodeCase{"Ascii", "C:\\Models\\insert.stl", "C:\\Models\\insert.stl"},
                    TDecodeCase{"Empty", "", ""},
                    TDecodeCase{"Utf8Cyrillic", "C:\\Модели\\пластина.stl",
                                "C:\\Модели\\пластина.stl"},
                    TDecodeCase{"Utf8FourBytes", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
                    TDecodeCase{"Cp1251Word", "\xCF\xEB\xE0\xF1\xF2\xE8\xED\xE0", "Пластина"},
                    // The letters outside the contiguous block and the punctuation of 0x80..0xBF.
                    TDecodeCase{"Cp1251Specials",
                                "\xA8\xB8\xB9\x88\x96\xAB\xBB\xA5\xB4\xB2\xB3\xAA\xBA\xAF\xBF",
                                "Ёё№€–«»ҐґІіЄєЇї"},
                    TDecodeCase{"Cp1251Edges", "\x80\xBF\xC0\xFF", "ЂїАя"},
                    // The one undefined byte keeps its value as U+0098.
                    TDecodeCase{"Cp1251Undefined", "\x98", "\xC2\x98"},
                    // Not UTF-8: overlong slash, surrogate half, beyond U+10FFFF, truncated, stray
                    // continuation byte. Each is read as Windows-1251 instead.
                    TDecodeCase{"OverlongIsCp1251", "\xC0\xAF", "АЇ"},
                    TDecodeCase{"SurrogateIsCp1251", "\xED\xA0\x80", "н\xC2\xA0Ђ"},
                    TDecodeCase{"BeyondRangeIsCp1251", "\xF4\x90\x80\x80", "фђЂЂ"},
                    TDecodeCase{"TruncatedIsCp1251", "a\xD0", "aР"},
                    TDecodeCase{"StrayContinuationIsCp1251", "\x85x", "…x"}),
    [](const testing::TestParamInfo<TDecodeCase>& info) { return info.param.Name; });

}  // namespace
}  // namespace tessarin::project
