#include "base/text_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tessarin::base {
namespace {

using test::ReadBytes;
using test::TTempDir;
using test::WriteBytes;

namespace fs = std::filesystem;

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

TEST(FileContentsTest, RefusesWhatIsNotARegularFile) {
    TTempDir dir;
    const std::string fifo = dir.File("input.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, dir.File("fifo-link.stl"));
    fs::create_symlink("/dev/zero", dir.File("zero-link.stl"));
    struct TCase {
        std::string Path;
        const char* Kind;
    };
    const TCase cases[] = {
        {"/dev/zero", "not a regular file (a character device)"},
        {"/dev/urandom", "not a regular file (a character device)"},
        {dir.File("zero-link.stl"), "not a regular file (a character device)"},
        // A FIFO without a writer would block a plain open() forever.
        {fifo, "not a regular file (a FIFO)"},
        {dir.File("fifo-link.stl"), "not a regular file (a FIFO)"},
    };
    // Should an open block after all, the alarm ends the test instead of hanging it.
    ::alarm(20);
    for (const TCase& c : cases) {
        TFileContents contents;
        const TResult result = contents.Open(c.Path);
        ASSERT_FALSE(result) << c.Path;
        EXPECT_NE(result.Reason().find(c.Path), std::string::npos) << result.Reason();
        EXPECT_NE(result.Reason().find(c.Kind), std::string::npos) << result.Reason();
        EXPECT_TRUE(contents.Text().empty());
    }
    ::alarm(0);
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(WriteFileAtomicallyTest, KeepsTheModeOfAReplacedFileAndGivesANewOneTheUmask) {
    TTempDir dir;
    const std::string secret = dir.File("secret.tsf");
    WriteBytes(secret, "old");
    ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
    const std::string shared = dir.File("shared.tsf");
    WriteBytes(shared, "old");
    ASSERT_EQ(::chmod(shared.c_str(), 0664), 0);

    const mode_t savedMask = ::umask(027);
    const TResult replacedSecret = WriteFileAtomically(secret, "new");
    const TResult replacedShared = WriteFileAtomically(shared, "new");
    const TResult created = WriteFileAtomically(dir.File("fresh.tsf"), "new");
    ::umask(savedMask);

    ASSERT_TRUE(replacedSecret) << replacedSecret.Reason();
    ASSERT_TRUE(replacedShared) << replacedShared.Reason();
    ASSERT_TRUE(created) << created.Reason();
    EXPECT_EQ(ModeOf(secret), 0600u);
    EXPECT_EQ(ModeOf(shared), 0664u);
    EXPECT_EQ(ModeOf(dir.File("fresh.tsf")), 0640u);
    EXPECT_EQ(ReadBytes(secret), "new");
}

TEST(WriteFileAtomicallyTest, WritesThroughSymbolicLinksToTheirTarget) {
    TTempDir dir;
    fs::create_directory(dir.Path / "store");
    const std::string target = dir.File("store/project.tsf");
    WriteBytes(target, "old");
    // A relative link, a chain ending in it, and a dangling link whose target is created.
    fs::create_symlink("store/project.tsf", dir.Path / "link.tsf");
    fs::create_symlink(dir.Path / "link.tsf", dir.Path / "chain.tsf");
    fs::create_symlink("store/later.tsf", dir.Path / "dangling.tsf");

    ASSERT_TRUE(WriteFileAtomically(dir.File("link.tsf"), "through the link"));
    EXPECT_EQ(ReadBytes(target), "through the link");
    ASSERT_TRUE(WriteFileAtomically(dir.File("chain.tsf"), "through the chain"));
    EXPECT_EQ(ReadBytes(target), "through the chain");
    ASSERT_TRUE(WriteFileAtomically(dir.File("dangling.tsf"), "created"));
    EXPECT_EQ(ReadBytes(dir.File("store/later.tsf")), "created");

    for (const char* link : {"link.tsf", "chain.tsf", "dangling.tsf"}) {
        EXPECT_TRUE(fs::is_symlink(dir.Path / link)) << link;
    }
    EXPECT_EQ(fs::read_symlink(dir.Path / "link.tsf"), "store/project.tsf");
    std::vector<std::string> stored;
    for (const auto& entry : fs::directory_iterator(dir.Path / "store")) {
        stored.push_back(entry.path().filename().string());
    }
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, (std::vector<std::string>{"later.tsf", "project.tsf"}));
}

TEST(WriteFileAtomicallyTest, RefusesATargetThatIsNotARegularFile) {
    TTempDir dir;
    // A FIFO stands in for a device node such as /dev/null, which only root could make.
    const std::string fifo = dir.File("out.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, dir.Path / "fifo-link.tsf");
    for (const std::string& path : {fifo, dir.File("fifo-link.tsf")}) {
        const TResult result = WriteFileAtomically(path, "data");
        ASSERT_FALSE(result) << path;
        EXPECT_NE(result.Reason().find(path), std::string::npos) << result.Reason();
        EXPECT_NE(result.Reason().find("not a regular file (a FIFO)"), std::string::npos)
            << result.Reason();
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(dir.Path / "fifo-link.tsf"));
    std::vector<std::string> entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"fifo-link.tsf", "out.fifo"}));
}

TEST(WriteFileAtomicallyTest, StaleTemporariesAndLongNamesDoNotBlockSaving) {
    TTempDir dir;
    // What an interrupted save of an earlier version left, under this very process id
    // (in a container every run is process 1).
    const std::string pid = std::to_string(::getpid());
    const std::vector<std::string> stale{"project.tsf.tmp-" + pid + "-0",
                                         "project.tsf.tmp-" + pid + "-1", "tessarin-.tmp"};
    for (const std::string& name : stale) {
        WriteBytes(dir.File(name), "stale");
    }
    ASSERT_TRUE(WriteFileAtomically(dir.File("project.tsf"), "saved"));
    EXPECT_EQ(ReadBytes(dir.File("project.tsf")), "saved");

    // 250 bytes is a valid name; a temporary named after it would not be.
    const std::string longName = std::string(246, 'n') + ".tsf";
    const TResult result = WriteFileAtomically(dir.File(longName), "long");
    ASSERT_TRUE(result) << result.Reason();
    EXPECT_EQ(ReadBytes(dir.File(longName)), "long");

    std::vector<std::string> expected = stale;
    expected.push_back("project.tsf");
    expected.push_back(longName);
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, expected);  // the stale files stay: they may be somebody's
}

TEST(WriteFileAtomicallyTest, AHardLinkedTargetKeepsItsLinks) {
    TTempDir dir;
    const std::string first = dir.File("project.tsf");
    const std::string second = dir.File("backup.tsf");
    WriteBytes(first, std::string(1000, 'o'));
    fs::create_hard_link(first, second);
    struct stat before {};
    ASSERT_EQ(::stat(first.c_str(), &before), 0);

    // Shorter than before, so the rewrite in place must also cut the old tail.
    ASSERT_TRUE(WriteFileAtomically(first, "new contents"));
    struct stat after {};
    ASSERT_EQ(::stat(first.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(ReadBytes(first), "new contents");
    EXPECT_EQ(ReadBytes(second), "new contents");
    std::vector<std::string> entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"backup.tsf", "project.tsf"}));
}

// The streamed writer is the same writer: pieces joined in order, a hard-linked target
// rewritten in place from the complete temporary, and a failing write keeps the old file.
TEST(WriteFileAtomicallyTest, StreamedPiecesAreWrittenLikeOneText) {
    TTempDir dir;
    const std::string first = dir.File("result.json");
    const std::string second = dir.File("link.json");
    WriteBytes(first, std::string(5000, 'o'));
    fs::create_hard_link(first, second);
    struct stat before {};
    ASSERT_EQ(::stat(first.c_str(), &before), 0);
    ASSERT_TRUE(WriteFileAtomicallyStreamed(first, [](const TStreamWrite& write) {
        EXPECT_TRUE(write("{\"a\":"));
        EXPECT_TRUE(write(""));
        EXPECT_TRUE(write("[1,2]}"));
    }));
    struct stat after {};
    ASSERT_EQ(::stat(first.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadBytes(second), "{\"a\":[1,2]}");
    std::vector<std::string> entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"link.json", "result.json"}));

    const std::string plain = dir.File("plain.json");
    WriteBytes(plain, "previous");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    auto* previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int piecesAfterFailure = 0;
    bool failed = false;
    const TResult result = WriteFileAtomicallyStreamed(plain, [&](const TStreamWrite& write) {
        for (int i = 0; i < 8; ++i) {
            if (!write(std::string(512, 'x'))) {
                piecesAfterFailure += failed ? 1 : 0;
                failed = true;
            }
        }
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);
    ASSERT_FALSE(result);
    EXPECT_NE(result.Reason().find(plain), std::string::npos) << result.Reason();
    EXPECT_TRUE(failed);
    EXPECT_GT(piecesAfterFailure, 0);  // every later write says so too
    EXPECT_EQ(ReadBytes(plain), "previous");
}

// A producer that reads back its earlier output gets exactly those bytes; a read beyond
// them, or an allocation failure, fails the write without leaving a file or a temporary.
TEST(WriteFileAtomicallyTest, StreamedReadBackGivesTheWrittenBytesAndFailsBeyondThem) {
    TTempDir dir;
    const std::string path = dir.File("project.tsf");
    ASSERT_TRUE(WriteFileAtomicallyStreamed(
        path, [](const TStreamWrite& write, const TStreamReadBack& readBack) {
            EXPECT_TRUE(write("front;"));
            EXPECT_TRUE(write("back;"));
            std::string copy(9, '?');
            EXPECT_TRUE(readBack(2, 9, copy.data()));
            EXPECT_EQ(copy, "ont;back;");
            EXPECT_TRUE(write(copy));
        }));
    EXPECT_EQ(ReadBytes(path), "front;back;ont;back;");

    const std::vector<std::pair<std::string, TStreamProducerWithReadBack>> failing = {
        {"beyond",
         [](const TStreamWrite& write, const TStreamReadBack& readBack) {
             EXPECT_TRUE(write("abc"));
             char byte = 0;
             EXPECT_FALSE(readBack(3, 1, &byte));
             EXPECT_FALSE(write("def"));  // the write has failed for good
         }},
        {"out of memory",
         [](const TStreamWrite& write, const TStreamReadBack&) {
             EXPECT_TRUE(write("abc"));
             throw std::bad_alloc();
         }},
    };
    for (const auto& [name, produce] : failing) {
        const std::string target = dir.File(name + ".tsf");
        const TResult result = WriteFileAtomicallyStreamed(target, produce);
        ASSERT_FALSE(result) << name;
        EXPECT_NE(result.Reason().find(target), std::string::npos) << result.Reason();
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"project.tsf"});
}

// What the SIGXFSZ handler below saw of the registry in the middle of a write.
char SeenTemporary[4096];
bool SeenExisting = false;
bool SeenRemoved = false;

void RemoveTemporaryOnSignal(int /*signal*/) {
    if (const char* pending = PendingTemporary(); pending != nullptr) {
        std::strncpy(SeenTemporary, pending, sizeof SeenTemporary - 1);
        SeenExisting = ::access(SeenTemporary, F_OK) == 0;
        RemovePendingTemporary();
        SeenRemoved = ::access(SeenTemporary, F_OK) != 0;
    }
}

TEST(WriteFileAtomicallyTest, ASignalHandlerRemovesTheTemporaryBeingWritten) {
    TTempDir dir;
    const std::string target = dir.File("project.tsf");
    WriteBytes(target, "previous");
    // Writing past the file-size limit raises SIGXFSZ inside write(): a signal that
    // arrives, deterministically, while the temporary is being written.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    auto* previousHandler = ::signal(SIGXFSZ, RemoveTemporaryOnSignal);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const TResult result = WriteFileAtomically(target, std::string(64 * 1024, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(result);
    EXPECT_EQ(fs::path(SeenTemporary).parent_path(), dir.Path);
    EXPECT_TRUE(SeenExisting);
    EXPECT_TRUE(SeenRemoved);
    EXPECT_EQ(PendingTemporary(), nullptr);  // nothing registered once the write is over
    EXPECT_EQ(ReadBytes(target), "previous");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"project.tsf"});
}

TEST(SameFileTest, ComparesFilesNotSpellings) {
    TTempDir dir;
    fs::create_directory(dir.Path / "sub");
    const std::string input = dir.File("model.stl");
    WriteBytes(input, "solid");
    WriteBytes(dir.File("other.stl"), "solid");
    fs::create_hard_link(input, dir.Path / "hard.stl");
    fs::create_symlink(input, dir.Path / "soft.stl");
    struct TCase {
        std::string A;
        std::string B;
        bool Same;
    };
    const TCase cases[] = {
        {input, input, true},
        {input, dir.File("sub/../model.stl"), true},
        {input, dir.File("./model.stl"), true},
        {input, dir.File("hard.stl"), true},
        {input, dir.File("soft.stl"), true},
        {input, dir.File("other.stl"), false},
        // Files that do not exist yet: the same folder and name, however spelt.
        {dir.File("new.tsf"), dir.File("sub/../new.tsf"), true},
        {dir.File("new.tsf"), dir.File("new.csv"), false},
        {dir.File("new.tsf"), dir.File("sub/new.tsf"), false},
        {input, dir.File("model.stl.tsf"), false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(SameFile(c.A, c.B), c.Same) << c.A << " | " << c.B;
        EXPECT_EQ(SameFile(c.B, c.A), c.Same) << c.B << " | " << c.A;
    }
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
}  // namespace tessarin::base
