#include "project/project_reader.h"

#include <array>
#include <exception>
#include <new>
#include <vector>

#include "base/language.h"
#include "base/number_format.h"
#include "base/text_file.h"
#include "base/two_halves.h"
#include "project/project_extensions.h"
#include "project/value_codecs.h"

// Lines are addressed by position, counted from 0; a block is found by counting, never
// by searching for its label. A label that a step deletes but that is missing stays in
// the text, where the conversion after it fails; labels skipped by count are not
// compared. The reasons name the line 1-based and what was expected there.

namespace tessarin::project {

using base::AdviseLargeBuffer;
using base::DecodeLegacyText;
using base::kEitherSeparator;
using base::SplitLines;
using base::StrToFlag;
using base::StrToInt;
using base::TFileContents;

namespace {

using model::TFileList;
using model::TResult;
using model::TSegment;
using model::TSurface;

// Below this many polygon lines a second thread costs more than it saves.
constexpr std::size_t kParallelPolygonLines = 1 << 14;

// Numbers read with either separator, so a project written on a system with the other
// separator still opens.
constexpr char kSeparator = kEitherSeparator;

constexpr std::size_t kNone = std::string_view::npos;

constexpr int kMaxTableAccuracy = 6;

// The fewest bytes a record can take and still read: every number one digit, every
// label that a reader may do without left out, and a one-byte line break after each
// line (a record is never the last line of a file).
// "0;0;0;" is the shortest point, "Vert1:0;0;0;Vert2:0;0;0;Vert3:0;0;0;Normal:0;0;0;"
// the shortest polygon (49 bytes).
constexpr std::size_t kMinPointBytes = 6;
constexpr std::size_t kMinPolygonBytes = 4 * kMinPointBytes + 3 * 6 + 7;
constexpr std::size_t kMinPolygonLineBytes = kMinPolygonBytes + 1;
// A segment block: "1", "0;0;0;:Point2:0;0;0;", "0;0;0;", "0", two polygons,
// "0;A:0;L:0" and three times "0;A:0;L:0;F:0", each line with its break.
constexpr std::size_t kMinSegmentBlockBytes =
    1 + (2 * kMinPointBytes + 8) + kMinPointBytes + 1 + 2 * kMinPolygonBytes + 9 + 3 * 13 + 10;
static_assert(kMinPolygonBytes == 49 && kMinSegmentBlockBytes == 184);

std::string_view AfterFirstColon(std::string_view line) {
    const std::size_t at = line.find(':');
    return at == kNone ? line : line.substr(at + 1);
}

std::string_view DeleteFirst(std::string_view text, std::string_view label, std::string& scratch) {
    const std::size_t at = text.find(label);
    if (at == kNone) {
        return text;
    }
    if (at == 0) {
        return text.substr(label.size());
    }
    scratch.assign(text.substr(0, at));
    scratch.append(text.substr(at + label.size()));
    return scratch;
}

std::string_view DeleteCount(std::string_view text, std::size_t count) {
    return text.size() > count ? text.substr(count) : std::string_view();
}

// Index of the first polygon line in [first, last) that does not read, or kNone. A
// line whose source is known is the very text of an "all" line already read, so its
// polygon is copied instead of read again.
std::size_t ReadPolygonRange(const std::vector<std::string_view>& lines, std::size_t firstLine,
                             TPolygon* polygons, std::size_t first, std::size_t last,
                             const std::size_t* sources, const TPolygon* reference) {
    for (std::size_t i = first; i < last; ++i) {
        if (sources != nullptr && sources[i] != kNone) {
            polygons[i] = reference[sources[i]];
        } else if (!StrToPolygon(lines[firstLine + i], kSeparator, polygons[i])) {
            return i;
        }
    }
    return kNone;
}

// For each of `count` lines from `first`, the index of an equal line among the
// `referenceCount` lines from `referenceFirst`, or kNone. The sorted lists repeat the
// "all" lines in their order, so one forward scan finds them; a budget of scan steps
// keeps a file whose lists do not from costing more than a few passes.
std::vector<std::size_t> MatchInOrder(const std::vector<std::string_view>& lines, std::size_t first,
                                      std::size_t count, std::size_t referenceFirst,
                                      std::size_t referenceCount) {
    std::vector<std::size_t> sources;
    sources.reserve(count);
    AdviseLargeBuffer(sources.data(), count * sizeof(std::size_t));
    sources.assign(count, kNone);
    std::size_t cursor = 0;
    std::size_t budget = 4 * referenceCount + 64;
    for (std::size_t j = 0; j < count && budget > 0; ++j) {
        const std::string_view line = lines[first + j];
        std::size_t i = cursor;
        while (i < referenceCount && budget > 0 && lines[referenceFirst + i] != line) {
            ++i;
            --budget;
        }
        if (i < referenceCount && lines[referenceFirst + i] == line) {
            sources[j] = i;
            cursor = i + 1;
        }
    }
    return sources;
}

class TParser {
public:
    TParser(std::string_view text, TFileList& list, model::TProgress& progress)
        : Text(text), Lines(SplitLines(text)), List(list), Progress(progress) {}

    bool Run();
    const std::string& Reason() const { return Why; }

private:
    bool Fail(std::size_t index, std::string_view expected);
    bool Fetch(std::size_t index, std::string_view expected, std::string_view& line);
    bool ReadCount(std::size_t index, std::string_view text, std::string_view expected,
                   std::size_t first, std::size_t bytesEach, std::string_view what,
                   std::int32_t& count);
    std::size_t BytesFrom(std::size_t index) const;
    bool ReadStlFileName(std::size_t k);
    bool ReadSegments(std::size_t countIndex, std::size_t first, std::string_view label,
                      std::int32_t& count, model::TCutEdgeData& segments);
    bool ReadSegment(std::size_t b, TSegment& segment);
    bool ReadPolygonSection(std::size_t& k, std::string_view label, std::int32_t& count,
                            TSurface& polygons, bool sorted);
    bool ReadPolygons(std::size_t first, TSurface& polygons, bool sorted);
    bool ReadNumber(std::size_t index, std::size_t skip, std::string_view expected, double& value);
    bool ReadFlag(std::size_t index, std::size_t skip, std::string_view expected, bool& flag);

    const std::string_view Text;
    const std::vector<std::string_view> Lines;
    TFileList& List;
    model::TProgress& Progress;
    std::size_t AllFirst = 0;  // line of the first "all" polygon
    std::string Scratch;
    std::string Why;
};

bool TParser::Fail(std::size_t index, std::string_view expected) {
    Why = base::Say("line %1: expected %2", "строка %1: ожидалось: %2", index + 1, expected);
    if (index >= Lines.size()) {
        Why += base::Say(", but the file ends after line %1", ", но файл кончается после строки %1",
                         Lines.size());
    }
    return false;
}

bool TParser::Fetch(std::size_t index, std::string_view expected, std::string_view& line) {
    if (index >= Lines.size()) {
        return Fail(index, expected);
    }
    line = Lines[index];
    return true;
}

// The bytes from the start of line `index` to the end of the text.
std::size_t TParser::BytesFrom(std::size_t index) const {
    if (index >= Lines.size()) {
        return 0;
    }
    return Text.size() - static_cast<std::size_t>(Lines[index].data() - Text.data());
}

// A count whose records cannot fit in the bytes after it fails here, before anything is
// allocated for it: counting lines is not enough, since a file of empty lines has as
// many lines as bytes, while every record takes dozens of bytes.
bool TParser::ReadCount(std::size_t index, std::string_view text, std::string_view expected,
                        std::size_t first, std::size_t bytesEach, std::string_view what,
                        std::int32_t& count) {
    if (!StrToInt(text, count)) {
        return Fail(index, expected);
    }
    if (count < 0) {
        Why = base::Say("line %1: expected a count of %2 that is not negative, found %3",
                        "строка %1: ожидалось неотрицательное число %2, найдено %3", index + 1,
                        what, count);
        return false;
    }
    const std::size_t remaining = BytesFrom(first);
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted > remaining / bytesEach) {
        Why = base::Say(
            "line %1: expected a count of %2 that fits the file, found %3: so many take "
            "at least %4 bytes, but only %5 bytes follow",
            "строка %1: ожидалось число %2, которое умещается в файле, найдено %3: "
            "столько займут байт: не меньше %4, а до конца файла осталось байт: %5",
            index + 1, what, count, wanted * bytesEach, remaining);
        return false;
    }
    return true;
}

bool TParser::ReadSegments(std::size_t countIndex, std::size_t first, std::string_view label,
                           std::int32_t& count, model::TCutEdgeData& segments) {
    const std::string expected = base::Say("\"%1\" and an integer", "\"%1\" и целое число", label);
    std::string_view line;
    if (!Fetch(countIndex, expected, line) ||
        !ReadCount(countIndex, AfterFirstColon(line), expected, first, kMinSegmentBlockBytes,
                   base::Pick("segments", "отрезков"), count)) {
        return false;
    }
    segments.resize(static_cast<std::size_t>(count));
    for (std::size_t j = 0; j < segments.size(); ++j) {
        if (!ReadSegment(first + 10 * j, segments[j])) {
            return false;
        }
    }
    return true;
}

bool TParser::ReadSegment(std::size_t b, TSegment& segment) {
    std::string_view line;
    const std::string_view kNumber =
        base::Pick("\" #\" and the segment number", "\" #\" и номер отрезка");
    if (!Fetch(b, kNumber, line) || !StrToInt(DeleteFirst(line, "#", Scratch), segment.Number)) {
        return Fail(b, kNumber);
    }

    const std::string_view kPoints = base::Pick("\" Point1:\", a point, \":Point2:\" and a point",
                                                "\" Point1:\", точка, \":Point2:\" и точка");
    if (!Fetch(b + 1, kPoints, line)) {
        return false;
    }
    const std::string_view points = DeleteFirst(line, "Point1:", Scratch);
    const std::size_t second = points.find(":Point2:");
    if (second == kNone || !StrToPoint(points.substr(0, second), kSeparator, segment.Point1) ||
        !StrToPoint(points.substr(second + 8), kSeparator, segment.Point2)) {
        return Fail(b + 1, kPoints);
    }

    const std::string_view kDirect =
        base::Pick("\" Direct segment:\" and a point", "\" Direct segment:\" и точка");
    if (!Fetch(b + 2, kDirect, line) ||
        !StrToPoint(DeleteFirst(line, " Direct segment:", Scratch), kSeparator, segment.Direct)) {
        return Fail(b + 2, kDirect);
    }
    const std::string_view kPolar = base::Pick("\" Polar:\" and a number", "\" Polar:\" и число");
    if (!Fetch(b + 3, kPolar, line) ||
        !ReadProjectNumber(DeleteFirst(line, " Polar:", Scratch), kSeparator, segment.Polar)) {
        return Fail(b + 3, kPolar);
    }
    const std::string_view kFront = base::Pick("\" Front:\" and a polygon", "\" Front:\" и грань");
    if (!Fetch(b + 4, kFront, line) ||
        !StrToPolygon(DeleteFirst(line, " Front:", Scratch), kSeparator, segment.Front)) {
        return Fail(b + 4, kFront);
    }
    const std::string_view kBack = base::Pick("\" Back:\" and a polygon", "\" Back:\" и грань");
    if (!Fetch(b + 5, kBack, line) ||
        !StrToPolygon(DeleteFirst(line, " Back:", Scratch), kSeparator, segment.Back)) {
        return Fail(b + 5, kBack);
    }
    const std::string_view kIsk =
        base::Pick("the ISK angles \"G:..;A:..;L:..\"", "углы в ИСК \"G:..;A:..;L:..\"");
    if (!Fetch(b + 6, kIsk, line) || !StrToAngles(line, kSeparator, segment.ISK)) {
        return Fail(b + 6, kIsk);
    }
    const std::array<model::TAngles4*, 3> systems{&segment.SSK, &segment.KSK, &segment.DSK};
    const std::array<std::string_view, 3> expected{
        base::Pick("the SSK angles \"G:..;A:..;L:..;F:..\"", "углы в ССК \"G:..;A:..;L:..;F:..\""),
        base::Pick("the KSK angles \"G:..;A:..;L:..;F:..\"", "углы в КСК \"G:..;A:..;L:..;F:..\""),
        base::Pick("the DSK angles \"G:..;A:..;L:..;F:..\"", "углы в ДСК \"G:..;A:..;L:..;F:..\"")};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!Fetch(b + 7 + i, expected[i], line) || !StrToAngles4(line, kSeparator, *systems[i])) {
            return Fail(b + 7 + i, expected[i]);
        }
    }
    return true;
}

bool TParser::ReadPolygonSection(std::size_t& k, std::string_view label, std::int32_t& count,
                                 TSurface& polygons, bool sorted) {
    const std::string expected = base::Say("\"%1\" and an integer", "\"%1\" и целое число", label);
    std::string_view line;
    if (!Fetch(k + 1, expected, line) ||
        !ReadCount(k + 1, DeleteFirst(line, label, Scratch), expected, k + 3, kMinPolygonLineBytes,
                   base::Pick("polygons", "граней"), count)) {
        return false;
    }
    polygons.reserve(static_cast<std::size_t>(count));
    AdviseLargeBuffer(polygons.data(), polygons.capacity() * sizeof(TPolygon));
    polygons.resize(static_cast<std::size_t>(count));
    if (!ReadPolygons(k + 3, polygons, sorted)) {
        return false;
    }
    k += 3 + static_cast<std::size_t>(count);
    return true;
}

// Big lists are read in two halves on two threads; the failure reported is the first
// in the file either way.
bool TParser::ReadPolygons(std::size_t first, TSurface& polygons, bool sorted) {
    const std::size_t count = polygons.size();
    if (!sorted) {
        AllFirst = first;
    }
    const std::vector<std::size_t> sources =
        sorted && count >= kParallelPolygonLines
            ? MatchInOrder(Lines, first, count, AllFirst, List.Polygons.size())
            : std::vector<std::size_t>();
    const std::size_t* const from = sources.empty() ? nullptr : sources.data();
    const TPolygon* const reference = List.Polygons.data();
    TPolygon* const to = polygons.data();
    std::size_t failedAt = kNone;
    if (count < kParallelPolygonLines) {
        failedAt = ReadPolygonRange(Lines, first, to, 0, count, from, reference);
    } else {
        const std::size_t half = count / 2;
        std::size_t tailFailedAt = kNone;
        base::RunInTwoHalves(
            [&] { failedAt = ReadPolygonRange(Lines, first, to, 0, half, from, reference); },
            [&] {
                tailFailedAt = ReadPolygonRange(Lines, first, to, half, count, from, reference);
            });
        if (failedAt == kNone) {
            failedAt = tailFailedAt;
        }
    }
    if (failedAt != kNone) {
        return Fail(first + failedAt,
                    base::Pick("a polygon \"Vert1:x;y;z;Vert2:x;y;z;Vert3:x;y;z;Normal:x;y;z;\"",
                               "грань \"Vert1:x;y;z;Vert2:x;y;z;Vert3:x;y;z;Normal:x;y;z;\""));
    }
    return true;
}

bool TParser::ReadNumber(std::size_t index, std::size_t skip, std::string_view expected,
                         double& value) {
    std::string_view line;
    if (!Fetch(index, expected, line) ||
        !ReadProjectNumber(DeleteCount(line, skip), kSeparator, value)) {
        return Fail(index, expected);
    }
    return true;
}

bool TParser::ReadFlag(std::size_t index, std::size_t skip, std::string_view expected, bool& flag) {
    std::string_view line;
    if (!Fetch(index, expected, line) || !StrToFlag(DeleteCount(line, skip), kSeparator, flag)) {
        return Fail(index, expected);
    }
    return true;
}

bool TParser::Run() {
    // Lines 0..3 (header, "-----Model-----", the empty lines) and 5 ("Segments:") are
    // not read.
    if (!ReadSegments(4, 6, "Number of segments:", List.SegmentCount, List.CutEdge)) {
        return false;
    }
    Progress.Step();
    std::size_t k = 6 + 10 * List.CutEdge.size();

    if (!ReadPolygonSection(k, "Number of all polygons:", List.PolygonCount, List.Polygons,
                            false)) {
        return false;
    }
    Progress.Step();
    if (!ReadPolygonSection(k, "Number of front polygons:", List.FrontCount, List.FrontPolygons,
                            true)) {
        return false;
    }
    Progress.Step();
    if (!ReadPolygonSection(k, "Number of back polygons:", List.BackCount, List.BackPolygons,
                            true)) {
        return false;
    }
    Progress.Step();
    if (!ReadPolygonSection(k, "Number of other polygons:", List.OtherCount, List.OtherPolygons,
                            true)) {
        return false;
    }

    Progress.Step();
    // The five characters of each label ("Zmax:" ...) are skipped, not compared.
    const std::array<double*, 6> bounds{&List.Zmax, &List.Zmin, &List.Ymax,
                                        &List.Ymin, &List.Xmax, &List.Xmin};
    const std::array<std::string_view, 6> boundLabels{
        "Zmax:", "Zmin:", "Ymax:", "Ymin:", "Xmax:", "Xmin:"};
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const std::string expected =
            base::Say("\"%1\" and a number", "\"%1\" и число", boundLabels[i]);
        if (!ReadNumber(k + 1 + i, 5, expected, *bounds[i])) {
            return false;
        }
    }

    if (!ReadSegments(k + 8, k + 10, "Number of select segments:", List.SelectSegmentCount,
                      List.SelectCutEdge)) {
        return false;
    }
    k += 10 + 10 * List.SelectCutEdge.size();

    Progress.Step();
    // The counts are the lengths of the labels, which are skipped, not compared.
    const auto flag = [](std::string_view label) {
        return base::Say("\"%1\" and a flag", "\"%1\" и признак", label);
    };
    if (!ReadFlag(k + 1, 14, flag("Surface exist:"), List.SurfaceExist) ||
        !ReadFlag(k + 2, 15, flag("Surface sorted:"), List.SurfaceSorted) ||
        !ReadFlag(k + 3, 14, flag("CutEdge exist:"), List.CutEdgeExist) ||
        !ReadFlag(k + 4, 21, flag("Select cutedge exist:"), List.SelectCutEdgeExist)) {
        return false;
    }
    std::string_view line;
    const std::string_view kCurrent =
        base::Pick("\"Current CS:\" and ISK, SSK, KSK or DSK",
                   "\"Current CS:\" и \"ISK\", \"SSK\", \"KSK\" или \"DSK\"");
    if (!Fetch(k + 5, kCurrent, line) || !StrToCS(line, List.CurrentCS)) {
        return Fail(k + 5, kCurrent);
    }
    if (!Fetch(k + 6, base::Pick("\"Existed CS:\" and its flags", "\"Existed CS:\" и его признаки"),
               line)) {
        return false;
    }
    List.ExistedCS = StrToExistedCS(line);
    if (!Fetch(
            k + 7,
            base::Pick("\"Defined Angles:\" and its flags", "\"Defined Angles:\" и его признаки"),
            line)) {
        return false;
    }
    List.DefinedAngles = StrToDefinedAngles(line);
    const std::array<std::string_view, 4> systems{
        base::Pick("\"CSValues:SSK>>OP:\" and the static system",
                   "\"CSValues:SSK>>OP:\" и статическая система координат"),
        base::Pick("\"CSValues:KSK>>OP:\" and the kinematic system",
                   "\"CSValues:KSK>>OP:\" и кинематическая система координат"),
        base::Pick("\"CSValues:DSK>>SP:\" and the dynamic system",
                   "\"CSValues:DSK>>SP:\" и динамическая система координат"),
        base::Pick("\"CSValues:FeedPlan>>FP:\" and the working plane",
                   "\"CSValues:FeedPlan>>FP:\" и рабочая плоскость")};
    for (int kind = 0; kind < 4; ++kind) {
        const std::size_t at = k + 8 + static_cast<std::size_t>(kind);
        const std::string_view expected = systems[static_cast<std::size_t>(kind)];
        if (!Fetch(at, expected, line) || !StrToCSValues(line, kind, kSeparator, List.Accepted)) {
            return Fail(at, expected);
        }
    }
    constexpr std::string_view kGeometry =
        "\"Geometry Settings:Alpha:..;Gamma:..;DiscardInt:..>>Accu:..;MarkNeg:..\"";
    if (!Fetch(k + 12, kGeometry, line) ||
        !StrToGeomSettings(line, kSeparator, List.GeometrySettings)) {
        return Fail(k + 12, kGeometry);
    }
    // Every table cell is formatted with this many decimals; a value the settings
    // dialog cannot produce would have no rounding to give.
    const std::int32_t accuracy = List.GeometrySettings.TableAccuracy;
    if (accuracy < 0 || accuracy > kMaxTableAccuracy) {
        Why = base::Say("line %1: expected a table accuracy (\"Accu:\") of 0 to 6, found %2",
                        "строка %1: ожидалась точность таблицы (\"Accu:\") от 0 до 6, найдено %2",
                        k + 13, accuracy);
        return false;
    }
    return ReadStlFileName(k);
}

// The writer ends the file with the geometry settings, an empty line and the STL file
// name, each line ended by CR LF, and then, when some value differs from its default,
// the extension section. What is checked here is what a damaged tail would otherwise
// turn into a wrong name: a second settings line or a second empty line (both move the
// name down a line, so that an empty one is read), and a last line cut before its line
// break (for the section, a value cut short).
bool TParser::ReadStlFileName(std::size_t k) {
    std::string_view line;
    const std::string_view kEmpty = base::Pick("an empty line before the STL file name",
                                               "пустая строка перед именем файла STL");
    if (!Fetch(k + 13, kEmpty, line)) {
        return false;
    }
    if (!line.empty()) {
        return Fail(k + 13, kEmpty);
    }
    const std::size_t at = k + 14;
    if (!Fetch(at, base::Pick("the STL file name", "имя файла STL"), line)) {
        return false;
    }
    const bool extended = at + 1 < Lines.size() && Lines[at + 1] == kExtensionsHeader;
    // Lines after a name are not read, unless they are the extension section; after an
    // empty name they are where the name went.
    if (line.empty() && !extended) {
        for (std::size_t i = at + 1; i < Lines.size(); ++i) {
            if (!Lines[i].empty()) {
                Why = base::Say(
                    "line %1: expected the STL file name, found an empty line with more "
                    "text after it in line %2",
                    "строка %1: ожидалось имя файла STL, найдена пустая строка, а "
                    "после неё текст в строке %2",
                    at + 1, i + 1);
                return false;
            }
        }
    }
    const std::size_t last = extended ? Lines.size() - 1 : at;
    if (last + 1 == Lines.size() &&
        Lines[last].data() + Lines[last].size() == Text.data() + Text.size()) {
        Fail(last, extended ? base::Pick("the last extension line ended by a line break, but the "
                                         "file ends inside the line",
                                         "последняя строка расширений с переводом строки в конце, "
                                         "но файл кончается посреди строки")
                            : base::Pick("the STL file name ended by a line break, but the file "
                                         "ends inside the line",
                                         "имя файла STL с переводом строки в конце, но файл "
                                         "кончается посреди строки"));
        return false;
    }
    if (extended) {
        TProjectExtensions extensions;
        const std::span<const std::string_view> section(Lines.data() + at + 2,
                                                        Lines.size() - at - 2);
        if (TResult read = ReadExtensions(section, at + 3, extensions); !read) {
            Why = read.Reason();
            return false;
        }
        List.ImportOptions = extensions.ImportOptions;
        List.GeometrySettings.MinNormalAngle = extensions.MinNormalAngle;
        List.GeometrySettings.PointTolerance = extensions.PointTolerance;
        List.GeometrySettings.EdgeKinkAngle = extensions.EdgeKinkAngle;
        List.Tolerances = std::move(extensions.Tolerances);
    }
    List.StlFileName = DecodeLegacyText(line);
    return true;
}

}  // namespace

TResult ParseProject(std::string_view text, TFileList& list, model::TProgress& progress) {
    list = TFileList{};
    try {
        TParser parser(text, list, progress);
        if (parser.Run()) {
            return TResult::Success();
        }
        list = TFileList{};
        return TResult::Failure(parser.Reason());
    } catch (const std::bad_alloc&) {
        list = TFileList{};
        return TResult::Failure(base::Say("not enough memory to read the file",
                                          "недостаточно памяти, чтобы прочитать файл"));
    }
}

TResult LoadProject(model::TModel& model, const std::string& path, std::string& stlFileName,
                    model::TProgress& progress) {
    TFileContents contents;
    if (TResult opened = contents.Open(path); !opened) {
        return opened;
    }
    model::TProgressScope scope(progress, "Открытие файла >>", 8);
    TFileList list;
    if (TResult parsed = ParseProject(contents.Text(), list, progress); !parsed) {
        return TResult::Failure(path + ": " + parsed.Reason());
    }
    // The model is built aside and moved in, so that running out of memory half-way
    // leaves the caller's model as it was.
    std::string name = std::move(list.StlFileName);
    try {
        model::TModel loaded(model.DecimalSeparator);
        loaded.LoadFileList(std::move(list));
        model = std::move(loaded);
    } catch (const std::bad_alloc&) {
        return TResult::Failure(base::Say("%1: not enough memory to load the file",
                                          "%1: недостаточно памяти, чтобы загрузить файл", path));
    }
    stlFileName = std::move(name);
    progress.Step();
    progress.Step();
    return TResult::Success();
}

}  // namespace tessarin::project
