// STL import. Binary files are recognised by their size; ASCII files are read in one
// scan over the bytes by a hand-written tokenizer, with no list of lines and no C locale.
#include "model/stl_reader.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "base/language.h"
#include "base/number_format.h"
#include "base/text_file.h"
#include "base/two_halves.h"
#include "model/bounding_box.h"
#include "model/import_options.h"
#include "model/model_check.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessarin::model {

namespace {

constexpr std::string_view kProgressText = "Открытие файла STL >>";

constexpr std::size_t kBinaryHeaderBytes = 84;
constexpr std::size_t kBinaryFacetBytes = 50;
// Enough bytes at the start of a file to tell binary from text: the header and one facet.
constexpr std::size_t kBinarySniffBytes = kBinaryHeaderBytes + kBinaryFacetBytes;

// The shortest ASCII facet is 21 tokens (53 keyword letters, 12 one-digit numbers) with a
// blank after each: 86 bytes. Dividing the size by a little less bounds the facet count
// from above, so the polygon list is reserved once and never moves. Pages of the reserve
// that are never written are never touched, so the overestimate costs no memory.
constexpr std::size_t kMinAsciiFacetBytes = 84;

// Polygons per chunk of the second half of a split text (24 MiB).
constexpr std::size_t kChunkPolygons = std::size_t{1} << 18;

// How far past the middle of the text to look for a "facet" keyword to split at.
constexpr std::size_t kSplitSearchBytes = std::size_t{1} << 20;

constexpr std::int64_t kMaxPolygons = std::numeric_limits<std::int32_t>::max();

static_assert(std::numeric_limits<float>::is_iec559 && sizeof(float) == 4);
static_assert(sizeof(TPolygon) == 12 * sizeof(double));

std::string Str(std::int64_t value) {
    return base::IntToStr(value);
}

// Asks for large pages under a freshly reserved list: a model of millions of polygons
// otherwise takes one page fault per 4 KiB written, which on virtual machines costs about
// as much as reading the numbers. Only a hint; nothing depends on it.
void AdviseLargePages(const TSurface& polygons) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto first = reinterpret_cast<std::uintptr_t>(polygons.data());
    const std::uintptr_t last = first + polygons.capacity() * sizeof(TPolygon);
    const std::uintptr_t from = (first + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t to = last & ~(kLargePage - 1);
    if (to > from) {
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    }
#else
    (void)polygons;
#endif
}

// Steps the progress in facets without ever passing its maximum: for ASCII text the
// maximum is only an estimate.
class TStepper {
public:
    TStepper(TProgress& progress, std::int64_t maximum) : Progress(progress), Maximum(maximum) {}

    void Advance(std::int64_t count) {
        const std::int64_t step = std::min(count, Maximum - Done);
        if (step > 0) {
            Progress.Step(static_cast<int>(step));
            Done += step;
        } else {
            // Past the estimate the bar stays full, but the caller still hears from us.
            KeepAlive();
        }
    }
    // A step of nothing: lets the caller show that the work goes on where no facet is
    // counted (waiting for the other half, joining the halves).
    void KeepAlive() { Progress.Step(0); }

private:
    TProgress& Progress;
    std::int64_t Maximum;
    std::int64_t Done = 0;
};

using TBox = TBoundingBox;

struct TParsed {
    TSurface Polygons;
    TBox Box;
};

// ---------------------------------------------------------------------------------------
// Binary STL

std::uint32_t ReadUint32(const char* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = ((value & 0xFFu) << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u) |
                (value >> 24);
    }
    return value;
}

// The twelve little-endian float32 of a facet record: normal, then three vertices.
void ReadFacetFloats(const char* record, std::array<std::uint32_t, 12>& bits) {
    std::memcpy(bits.data(), record, sizeof bits);
    if constexpr (std::endian::native == std::endian::big) {
        for (std::uint32_t& b : bits) {
            b = ((b & 0xFFu) << 24) | ((b & 0xFF00u) << 8) | ((b >> 8) & 0xFF00u) | (b >> 24);
        }
    }
}

bool IsFiniteFloatBits(std::uint32_t bits) {
    return (bits & 0x7F800000u) != 0x7F800000u;
}

double FloatFromBits(std::uint32_t bits) {
    return static_cast<double>(std::bit_cast<float>(bits));
}

TVector3 VectorFromBits(const std::array<std::uint32_t, 12>& bits, std::size_t first) {
    return {FloatFromBits(bits[first]), FloatFromBits(bits[first + 1]),
            FloatFromBits(bits[first + 2])};
}

bool IsSizeConsistentBinary(std::string_view data, std::uint64_t& facets) {
    if (data.size() < kBinaryHeaderBytes) {
        return false;
    }
    facets = ReadUint32(data.data() + 80);
    return data.size() - kBinaryHeaderBytes == facets * kBinaryFacetBytes;
}

TResult ReadBinary(std::string_view data, std::uint64_t facets, std::string_view name,
                   TProgress& progress, TParsed& parsed) {
    if (facets == 0) {
        return TResult::Failure(base::Say("%1: the binary STL holds no facet",
                                          "%1: в двоичном файле STL нет ни одной грани", name));
    }
    if (facets > static_cast<std::uint64_t>(kMaxPolygons)) {
        return TResult::Failure(base::Say(
            "%1: the binary STL holds %2 facets, more than a model can take (%3)",
            "%1: в двоичном файле STL граней больше, чем может вместить модель: %2 (не более %3)",
            name, Str(static_cast<std::int64_t>(facets)), Str(kMaxPolygons)));
    }
    const auto n = static_cast<std::int64_t>(facets);
    TProgressScope scope(progress, kProgressText, static_cast<int>(n - 1));
    TStepper stepper(progress, n - 1);
    parsed.Polygons.reserve(static_cast<std::size_t>(n));
    AdviseLargePages(parsed.Polygons);

    std::array<std::uint32_t, 12> bits{};
    const char* record = data.data() + kBinaryHeaderBytes;
    for (std::int64_t i = 0; i < n; ++i, record += kBinaryFacetBytes) {
        ReadFacetFloats(record, bits);
        // A vertex at infinity or NaN is damage, not geometry. The normal is kept as
        // stored, whatever it holds, as for every other file.
        for (std::size_t k = 3; k < 12; ++k) {
            if (!IsFiniteFloatBits(bits[k])) {
                const std::int64_t offset = static_cast<std::int64_t>(kBinaryHeaderBytes) +
                                            i * static_cast<std::int64_t>(kBinaryFacetBytes);
                return TResult::Failure(base::Say(
                    "%1: corrupt binary STL: facet %2 (byte offset %3): vertex %4 has a "
                    "coordinate that is not a finite number",
                    "%1: повреждённый двоичный файл STL: у вершины %4 грани %2 (смещение в "
                    "байтах: %3) координата не является конечным числом",
                    name, Str(i + 1), Str(offset), Str(static_cast<std::int64_t>(k / 3))));
            }
        }
        // Built whole and then copied: emplace_back() would first clear the new element.
        const TPolygon polygon{VectorFromBits(bits, 3), VectorFromBits(bits, 6),
                               VectorFromBits(bits, 9), VectorFromBits(bits, 0)};
        parsed.Box.Add(polygon);
        parsed.Polygons.push_back(polygon);
        if (((i + 1) & (kProgressBatch - 1)) == 0) {
            stepper.Advance(kProgressBatch);
        }
    }
    stepper.Advance(n);
    return TResult::Success();
}

// Control bytes in the first facet's reach: ASCII STL has none but blanks.
bool LooksBinary(std::string_view data) {
    const std::size_t reach = std::min(data.size(), kBinarySniffBytes);
    for (std::size_t i = 0; i < reach; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r') ||
            c == 0x7F) {
            return true;
        }
    }
    return false;
}

// How a file of at least kBinaryHeaderBytes that is not size-consistent misses the size
// rule: `kind` names the damage, `detail` gives the numbers.
void BinaryShape(std::string_view data, std::string& kind, std::string& detail) {
    const auto size = static_cast<std::int64_t>(data.size());
    const std::int64_t facets = ReadUint32(data.data() + 80);
    const std::int64_t needed = static_cast<std::int64_t>(kBinaryHeaderBytes) +
                                facets * static_cast<std::int64_t>(kBinaryFacetBytes);
    detail = base::Say("the header announces %1 facets (%2 bytes)",
                       "число граней в заголовке: %1 (байт: %2)", Str(facets), Str(needed));
    if (size < needed) {
        const std::int64_t facet = (size - static_cast<std::int64_t>(kBinaryHeaderBytes)) /
                                       static_cast<std::int64_t>(kBinaryFacetBytes) +
                                   1;
        kind = base::Pick("truncated binary STL", "обрезанный двоичный файл STL");
        detail += base::Say(", the file ends at byte %1, inside facet %2",
                            ", файл кончается на байте %1, внутри грани %2", Str(size), Str(facet));
    } else {
        kind = base::Pick("binary STL of inconsistent size",
                          "двоичный файл STL несогласованного размера");
        detail += base::Say(", the file has %1 bytes more", ", лишних байт в файле: %1",
                            Str(size - needed));
    }
}

// ---------------------------------------------------------------------------------------
// ASCII STL

constexpr std::array<bool, 256> kBlank = [] {
    std::array<bool, 256> table{};
    for (const char c : {' ', '\t', '\n', '\r', '\v', '\f'}) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}();

bool IsBlank(char c) {
    return kBlank[static_cast<unsigned char>(c)];
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const char* TokenEnd(const char* p, const char* end) {
    while (p != end && !IsBlank(*p)) {
        ++p;
    }
    return p;
}

// Whether [p, end) is written as a number of the number reading (sign, digits with "." or
// ",", exponent), whatever its magnitude: a token that is and still does not read lies
// beyond the range even of the wide float the reading falls back on.
bool IsNumberText(const char* p, const char* end) {
    if (p != end && (*p == '+' || *p == '-')) {
        ++p;
    }
    int digits = 0;
    for (; p != end && IsDigit(*p); ++p) {
        ++digits;
    }
    if (p != end && (*p == '.' || *p == ',')) {
        for (++p; p != end && IsDigit(*p); ++p) {
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-')) {
            ++p;
        }
        const char* const exponent = p;
        while (p != end && IsDigit(*p)) {
            ++p;
        }
        if (p == exponent) {
            return false;
        }
    }
    return p == end;
}

// A keyword of lower-case letters, also packed into a word to be compared at once.
// "| 0x20" folds exactly the upper-case letters onto lower-case ones and maps no other
// byte onto a lower-case letter, so keywords compare without regard to case.
struct TKeyword {
    std::string_view Text;
    std::uint64_t Packed = 0;  // the letters in memory order, on a little-endian machine
    std::uint64_t Mask = 0;
};

constexpr TKeyword MakeKeyword(std::string_view text) {
    TKeyword keyword{text};
    for (std::size_t i = text.size(); i-- > 0;) {
        keyword.Packed = (keyword.Packed << 8) | static_cast<unsigned char>(text[i]);
        keyword.Mask = (keyword.Mask << 8) | 0xFFu;
    }
    return keyword;
}

constexpr TKeyword kSolid = MakeKeyword("solid");
constexpr TKeyword kEndsolid = MakeKeyword("endsolid");
constexpr TKeyword kFacet = MakeKeyword("facet");
constexpr TKeyword kNormal = MakeKeyword("normal");
constexpr TKeyword kOuter = MakeKeyword("outer");
constexpr TKeyword kLoop = MakeKeyword("loop");
constexpr TKeyword kVertex = MakeKeyword("vertex");
constexpr TKeyword kEndloop = MakeKeyword("endloop");
constexpr TKeyword kEndfacet = MakeKeyword("endfacet");

inline bool IsKeywordAt(const char* p, const char* end, const TKeyword& keyword) {
    const std::size_t length = keyword.Text.size();
    const auto available = static_cast<std::size_t>(end - p);
    if (available < length) {
        return false;
    }
    bool same = true;
    if (std::endian::native == std::endian::little && available >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, sizeof word);
        same = ((word | 0x2020202020202020u) & keyword.Mask) == keyword.Packed;
    } else {
        for (std::size_t i = 0; i < length && same; ++i) {
            same = (p[i] | 0x20) == keyword.Text[i];
        }
    }
    return same && (p + length == end || IsBlank(p[length]));
}

enum class TExpect { Solid, FacetOrEndsolid, Normal, OuterLoop, Vertex, EndLoop, EndFacet };

struct TAsciiError {
    const char* At = nullptr;  // start of the offending token, or the end of the text
    TExpect Expect = TExpect::Solid;
    bool AfterNumbers = false;  // expected right after three numbers
    // When the three numbers after a keyword were expected: the keyword, and how many of
    // the numbers were read.
    const char* KeywordAt = nullptr;
    int NumbersRead = -1;
    // A vertex coordinate written as a number that a double cannot hold (At is its token).
    bool OutOfRange = false;
};

enum class TOutcome { Finished, ReachedSplit, Failed, Cancelled };

// Where a parser puts its polygons: straight into the model's list, or, for the second
// half of a split text, into chunks that are appended to the list afterwards (so the
// second half never needs a copy of itself in memory next to the list).
class TPolygonSink {
public:
    explicit TPolygonSink(TSurface& list) : List(&list) {}
    explicit TPolygonSink(std::vector<TSurface>& chunks) : Chunks(&chunks) {}

    void Add(const TPolygon& polygon) {
        if (Chunks != nullptr && (List == nullptr || List->size() == List->capacity())) {
            List = &Chunks->emplace_back();
            List->reserve(kChunkPolygons);
            AdviseLargePages(*List);
        }
        List->push_back(polygon);
    }

private:
    TSurface* List = nullptr;
    std::vector<TSurface>* Chunks = nullptr;
};

// Reads the grammar
//   solid [name] { facet normal x y z outer loop { vertex x y z }x3 endloop endfacet }
//   endsolid [name]
// any number of solids after one another, tokens separated by any blanks and line ends.
// The text after "solid" and "endsolid" up to the end of the line is the name. The end
// of the text between two facets is accepted, a missing last "endsolid" included.
class TAsciiParser {
public:
    // Reads up to `end`; error positions are pointers into the text.
    TAsciiParser(const char* end, TPolygonSink sink) : End(end), Sink(sink) {}

    // Progress goes to `stepper` in batches, each batch counting `scale` times its size
    // (the first of two halves stands for both).
    void ReportTo(TStepper* stepper, std::int64_t scale) {
        Stepper = stepper;
        StepScale = scale;
    }
    // Stops with ReachedSplit when a facet would start exactly at `split`; if the text
    // is found to run past it otherwise (the split fell into a name), sets `passed` and
    // reads on to the end.
    void StopAt(const char* split, std::atomic<bool>* passed) {
        Split = split;
        Passed = passed;
    }
    // Gives up (Cancelled) soon after `cancel` becomes true.
    void CancelWhen(const std::atomic<bool>* cancel) { Cancel = cancel; }

    TOutcome Run(const char* from, bool insideSolid) {
        P = from;
        for (;;) {
            SkipBlanks();
            if (P == End) {
                return TOutcome::Finished;
            }
            if (!insideSolid) {
                if (!Keyword(kSolid)) {
                    return Fail(TExpect::Solid);
                }
                SkipLine();
                insideSolid = true;
                continue;
            }
            if (Split != nullptr && P >= Split) {
                if (P == Split) {
                    return TOutcome::ReachedSplit;
                }
                Split = nullptr;
                Passed->store(true, std::memory_order_relaxed);
            }
            if (Keyword(kFacet)) {
                if (!Facet(P - kFacet.Text.size())) {
                    return TOutcome::Failed;
                }
                if ((++Facets & (kProgressBatch - 1)) == 0) {
                    if (Stepper != nullptr) {
                        Stepper->Advance(std::int64_t{kProgressBatch} * StepScale);
                    }
                    if (Cancel != nullptr && Cancel->load(std::memory_order_relaxed)) {
                        return TOutcome::Cancelled;
                    }
                }
                continue;
            }
            if (Keyword(kEndsolid)) {
                SkipLine();
                insideSolid = false;
                continue;
            }
            return Fail(TExpect::FacetOrEndsolid);
        }
    }

    std::int64_t FacetCount() const { return Facets; }
    const TAsciiError& Error() const { return Failure; }
    const TBox& Box() const { return Bounds; }
    bool NulInName() const { return NulSeen; }

private:
    void SkipBlanks() {
        while (P != End && IsBlank(*P)) {
            ++P;
        }
    }

    void SkipLine() {
        while (P != End && *P != '\n' && *P != '\r') {
            NulSeen |= *P == '\0';
            ++P;
        }
    }

    bool Keyword(const TKeyword& keyword) {
        SkipBlanks();
        if (!IsKeywordAt(P, End, keyword)) {
            return false;
        }
        P += keyword.Text.size();
        return true;
    }

    bool Number(double& value) {
        SkipBlanks();
        const char* first = P;
        if (first == End) {
            return false;
        }
        // std::from_chars would also take "inf" and "nan", which are no numbers here;
        // they cannot start with a digit or a period.
        const char* lead = first + (*first == '-' ? 1 : 0);
        if (lead != End && (IsDigit(*lead) || *lead == '.')) {
            const auto [last, ec] = std::from_chars(first, End, value);
            if (ec == std::errc() && (last == End || IsBlank(*last))) {
                P = last;
                return true;
            }
        }
        // The rare forms: "," as the separator, a leading "+", values beyond the range
        // of a double. The number reading decides, exactly as for any other number.
        const char* last = TokenEnd(first, End);
        if (!base::StrToFloat(std::string_view(first, static_cast<std::size_t>(last - first)),
                              base::kEitherSeparator, value)) {
            return false;
        }
        P = last;
        return true;
    }

    bool Vector(TVector3& v, TExpect expect, const char* keywordAt) {
        double* const coordinates[3] = {&v.x, &v.y, &v.z};
        for (int i = 0; i < 3; ++i) {
            SkipBlanks();
            const char* const at = P;
            const bool read = Number(*coordinates[i]);
            // A vertex beyond the range of a double is damage, as in a binary file; "1e400"
            // reads as an infinity and "1e5000" not at all, and both are told so. Normals
            // are kept as they read.
            if (expect == TExpect::Vertex &&
                (read ? !std::isfinite(*coordinates[i]) : IsNumberText(at, TokenEnd(at, End)))) {
                P = at;
                Reject(expect);
                Failure.OutOfRange = true;
                return false;
            }
            if (!read) {
                Reject(expect);
                Failure.KeywordAt = keywordAt;
                Failure.NumbersRead = i;
                return false;
            }
        }
        return true;
    }

    // After "facet", which starts at `facetAt`.
    bool Facet(const char* facetAt) {
        TPolygon polygon;
        if (!Keyword(kNormal)) {
            return Reject(TExpect::Normal);
        }
        if (!Vector(polygon.Normal, TExpect::Normal, facetAt)) {
            return false;
        }
        if (!Keyword(kOuter)) {
            return Reject(TExpect::OuterLoop, true);
        }
        if (!Keyword(kLoop)) {
            return Reject(TExpect::OuterLoop);
        }
        TVector3* const vertices[3] = {&polygon.Vert1, &polygon.Vert2, &polygon.Vert3};
        for (int i = 0; i < 3; ++i) {
            if (!Keyword(kVertex)) {
                return Reject(TExpect::Vertex, i > 0);
            }
            if (!Vector(*vertices[i], TExpect::Vertex, P - kVertex.Text.size())) {
                return false;
            }
        }
        if (!Keyword(kEndloop)) {
            return Reject(TExpect::EndLoop, true);
        }
        if (!Keyword(kEndfacet)) {
            return Reject(TExpect::EndFacet);
        }
        Bounds.Add(polygon);
        Sink.Add(polygon);
        return true;
    }

    // Records the error at the current token.
    bool Reject(TExpect expect, bool afterNumbers = false) {
        SkipBlanks();
        Failure = {P, expect, afterNumbers};
        return false;
    }

    TOutcome Fail(TExpect expect) {
        Reject(expect);
        return TOutcome::Failed;
    }

    const char* const End;
    const char* P = nullptr;
    TPolygonSink Sink;
    TBox Bounds;
    std::int64_t Facets = 0;
    TAsciiError Failure;
    TStepper* Stepper = nullptr;
    std::int64_t StepScale = 1;
    const char* Split = nullptr;
    std::atomic<bool>* Passed = nullptr;
    const std::atomic<bool>* Cancel = nullptr;
    bool NulSeen = false;
};

// 1-based line of `at`; CR LF, lone CR and lone LF each end a line.
std::int64_t LineOf(const char* begin, const char* at) {
    std::int64_t line = 1;
    for (const char* p = begin; p != at; ++p) {
        if (*p == '\n' || (*p == '\r' && (p + 1 == at || p[1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

const char* LastNonBlank(const char* begin, const char* end) {
    while (end != begin && IsBlank(end[-1])) {
        --end;
    }
    return end == begin ? begin : end - 1;
}

// A token as it can be shown in a reason: printable ASCII, anything else as "?".
std::string Printable(const char* first, const char* last) {
    constexpr std::ptrdiff_t kShown = 40;
    std::string text;
    for (const char* p = first; p != last && p - first < kShown; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        text += (c > 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    if (last - first > kShown) {
        text += "...";
    }
    return text;
}

std::string_view ExpectText(TExpect expect) {
    switch (expect) {
        case TExpect::Solid:
            return "\"solid\"";
        case TExpect::FacetOrEndsolid:
            return base::Pick("\"facet\" or \"endsolid\"", "\"facet\" или \"endsolid\"");
        case TExpect::Normal:
            return base::Pick("\"facet normal\" and three numbers", "\"facet normal\" и три числа");
        case TExpect::OuterLoop:
            return "\"outer loop\"";
        case TExpect::Vertex:
            return base::Pick("\"vertex\" and three numbers", "\"vertex\" и три числа");
        case TExpect::EndLoop:
            return "\"endloop\"";
        case TExpect::EndFacet:
            return "\"endfacet\"";
    }
    return "";
}

// "line N: expected X, found Y" in the message language.
std::string ExpectedFound(std::int64_t line, TExpect expect, const std::string& found) {
    return base::Say("line %1: expected %2, found %3", "строка %1: ожидалось %2, найдено %3",
                     Str(line), ExpectText(expect), found);
}

// How many of three numbers were read, with the word in the right form.
std::string_view NumbersReadText(int count) {
    switch (count) {
        case 0:
            return base::Pick("0 numbers", "0 чисел");
        case 1:
            return base::Pick("1 number", "1 число");
        default:
            break;
    }
    return base::Pick("2 numbers", "2 числа");
}

// "line N: expected ...". `textEnd` is where the text stops, `dataEnd` where the file
// does (after a NUL byte).
std::string AsciiReason(const TAsciiError& error, const char* begin, const char* textEnd,
                        const char* dataEnd) {
    const char* at = error.At;
    if (error.OutOfRange) {
        return ExpectedFound(LineOf(begin, at), error.Expect,
                             base::Say("\"%1\", a number out of the range of a double",
                                       "\"%1\", число вне диапазона чисел двойной точности",
                                       Printable(at, TokenEnd(at, textEnd))));
    }
    const bool atEnd = at == textEnd;
    const bool numeric =
        !atEnd && (IsDigit(*at) || *at == '-' || *at == '+' || *at == '.' || *at == ',');
    std::string found;
    if (atEnd) {
        found = textEnd != dataEnd ? base::Pick("a NUL byte, which ends the text",
                                                "нулевой байт, обрывающий текст")
                                   : base::Pick("the end of the file", "конец файла");
        at = LastNonBlank(begin, textEnd);
    } else {
        const std::string token = Printable(at, TokenEnd(at, textEnd));
        found = error.AfterNumbers && numeric
                    ? base::Say("a fourth number \"%1\"", "четвёртое число \"%1\"", token)
                    : "\"" + token + "\"";
    }
    if (error.NumbersRead >= 0 && !numeric) {
        // The numbers ran out: the line to look at is the keyword's, not the next one's.
        found = base::Say("%1 and then %2", "%1, а затем %2", NumbersReadText(error.NumbersRead),
                          found);
        at = error.KeywordAt;
    }
    return ExpectedFound(LineOf(begin, at), error.Expect, found);
}

// Facets the progress expects: the usual layout has seven lines per facet and two more,
// so the line breaks of the first 64 KiB, scaled to the whole text, estimate it.
std::int64_t EstimateAsciiFacets(std::string_view text) {
    constexpr std::size_t kSampleBytes = std::size_t{1} << 16;
    const std::string_view sample = text.substr(0, kSampleBytes);
    auto breaks = static_cast<std::int64_t>(std::count(sample.begin(), sample.end(), '\n'));
    if (breaks == 0) {
        breaks = static_cast<std::int64_t>(std::count(sample.begin(), sample.end(), '\r'));
    }
    std::int64_t lines = 0;
    if (sample.size() == text.size()) {
        lines = breaks + (!text.empty() && text.back() != '\n' && text.back() != '\r' ? 1 : 0);
    } else {
        lines = static_cast<std::int64_t>(
            static_cast<double>(breaks) *
            (static_cast<double>(text.size()) / static_cast<double>(sample.size())));
    }
    return std::clamp<std::int64_t>((lines - 2) / 7, 1, kMaxPolygons);
}

// A "facet" keyword that starts a token at or after the middle of the text.
const char* FindSplit(const char* begin, const char* end) {
    if (end - begin < 2) {
        return nullptr;
    }
    const char* p = begin + (end - begin) / 2;
    const char* limit = p + std::min<std::ptrdiff_t>(end - p, kSplitSearchBytes);
    for (; p != limit; ++p) {
        if ((*p | 0x20) == 'f' && IsBlank(p[-1]) && IsKeywordAt(p, end, kFacet)) {
            return p;
        }
    }
    return nullptr;
}

// What reading one text gave.
struct TTextOutcome {
    bool Failed = false;
    TAsciiError Error;        // when Failed
    std::int64_t Facets = 0;  // complete facets, before the error if there is one
    bool NulInName = false;   // a NUL byte was skipped over as part of a name
};

// Reads [start, end) into `polygons` and `box`, in two threads when `split` is set.
TTextOutcome ReadText(const char* start, const char* end, const char* split, TStepper& stepper,
                      TSurface& polygons, TBox& box) {
    TAsciiParser first(end, TPolygonSink(polygons));

    // The second half is read from the split on as if a solid were open there; that holds
    // exactly when the first half arrives at the split between two facets. Otherwise the
    // first reader simply reads on to the end and the second half is dropped. Errors
    // carry pointers into the whole text, so their lines are counted from its start, and
    // an error of the first half always wins, being earlier in the file.
    std::vector<TSurface> chunks;
    TAsciiParser second(end, TPolygonSink(chunks));
    // The second half's exception matters only when its half is used, so it is kept here
    // rather than passed on by the join.
    std::atomic<bool> cancel{false};
    std::exception_ptr secondException;
    TOutcome secondOutcome = TOutcome::Cancelled;
    std::optional<base::TSecondHalf> worker;
    if (split != nullptr) {
        second.CancelWhen(&cancel);
        worker.emplace(
            [&] {
                try {
                    secondOutcome = second.Run(split, true);
                } catch (...) {
                    secondException = std::current_exception();
                }
            },
            &cancel);
    }

    TOutcome outcome = TOutcome::Finished;
    if (worker && worker->Started()) {
        first.ReportTo(&stepper, 2);
        first.StopAt(split, &cancel);
        outcome = first.Run(start, false);
        if (outcome != TOutcome::ReachedSplit) {
            cancel.store(true, std::memory_order_relaxed);  // its half is not needed
        }
        // The caller's window stays alive while the other half is still being read.
        worker->Join([&] { stepper.KeepAlive(); });
    } else {
        // No thread to be had (or no split): read it all in this one.
        first.ReportTo(&stepper, 1);
        outcome = first.Run(start, false);
    }

    TTextOutcome result;
    result.Failed = outcome == TOutcome::Failed;
    result.Error = first.Error();
    result.Facets = first.FacetCount();
    result.NulInName = first.NulInName();
    box = first.Box();
    if (outcome == TOutcome::ReachedSplit) {
        if (secondException) {
            std::rethrow_exception(secondException);
        }
        result.Facets += second.FacetCount();
        result.NulInName = result.NulInName || second.NulInName();
        if (secondOutcome == TOutcome::Failed) {
            result.Failed = true;
            result.Error = second.Error();
        } else {
            stepper.Advance(second.FacetCount());
            for (TSurface& chunk : chunks) {
                for (const TPolygon& polygon : chunk) {
                    box.Add(polygon);
                }
                polygons.insert(polygons.end(), chunk.begin(), chunk.end());
                TSurface().swap(chunk);
                stepper.KeepAlive();
            }
        }
    }
    return result;
}

// UTF-16 text, told by its byte order mark or, without one, by ASCII characters that
// alternate with NUL bytes; "" when the data does not look like it.
std::string_view Utf16Kind(std::string_view data) {
    if (data.starts_with("\xFF\xFE")) {
        return base::Pick("little-endian, with a byte order mark",
                          "с младшего байта, с меткой порядка байтов");
    }
    if (data.starts_with("\xFE\xFF")) {
        return base::Pick("big-endian, with a byte order mark",
                          "со старшего байта, с меткой порядка байтов");
    }
    constexpr std::size_t kSampleUnits = 64;
    const std::size_t units = std::min(data.size() / 2, kSampleUnits);
    if (units < 2) {
        return "";
    }
    bool little = true;
    bool big = true;
    for (std::size_t i = 0; i < units; ++i) {
        const auto first = static_cast<unsigned char>(data[2 * i]);
        const auto second = static_cast<unsigned char>(data[2 * i + 1]);
        little = little && second == 0 && first != 0 && first < 0x80;
        big = big && first == 0 && second != 0 && second < 0x80;
    }
    return little ? base::Pick("little-endian", "с младшего байта")
           : big  ? base::Pick("big-endian", "со старшего байта")
                  : "";
}

// Whether the text begins, after a UTF-8 byte order mark and blanks, with the keyword
// ASCII STL begins with.
bool StartsLikeAsciiStl(std::string_view data) {
    const char* p = data.data();
    const char* const end = p + data.size();
    if (data.starts_with("\xEF\xBB\xBF")) {
        p += 3;
    }
    while (p != end && IsBlank(*p)) {
        ++p;
    }
    return IsKeywordAt(p, end, kSolid);
}

// The reason for a file: "NAME, line N: ..." or "NAME: ...".
std::string WithName(std::string_view name, const std::string& detail) {
    const bool atLine = detail.starts_with("line ") || detail.starts_with("строка ");
    return std::string(name) + (atLine ? ", " : ": ") + detail;
}

// `facetsRead` tells how many facets were complete before a failure; `why` is the reason
// without the file name.
bool ReadAscii(std::string_view data, TProgress& progress, std::size_t parallelFromBytes,
               TParsed& parsed, std::int64_t& facetsRead, std::string& why) {
    const char* const begin = data.data();
    const char* end = begin + data.size();
    const char* start = begin;
    if (data.substr(0, 3) == "\xEF\xBB\xBF") {
        start += 3;  // a UTF-8 byte order mark
    }

    const std::int64_t estimate = EstimateAsciiFacets(data);
    TProgressScope scope(progress, kProgressText, static_cast<int>(estimate - 1));
    TStepper stepper(progress, estimate - 1);
    parsed.Polygons.reserve(data.size() / kMinAsciiFacetBytes + 1);
    AdviseLargePages(parsed.Polygons);

    const char* const split = data.size() >= parallelFromBytes ? FindSplit(start, end) : nullptr;
    TTextOutcome text = ReadText(start, end, split, stepper, parsed.Polygons, parsed.Box);

    // A NUL byte ends the text. It cannot be part of a keyword, a number or the blanks
    // between them, so a text that read without error has none, unless in a name. Only
    // then is it looked for (sparing every good file a pass over its bytes), and the
    // text up to it is read again.
    if (text.Failed || text.NulInName) {
        const std::size_t nul = data.find('\0');
        if (nul != std::string_view::npos) {
            end = begin + nul;
            parsed.Polygons.clear();
            text =
                ReadText(std::min(start, end), end, nullptr, stepper, parsed.Polygons, parsed.Box);
        }
    }

    facetsRead = text.Facets;
    if (text.Failed) {
        why = AsciiReason(text.Error, begin, end, data.data() + data.size());
        return false;
    }
    if (text.Facets == 0) {
        if (end != data.data() + data.size()) {
            why = base::Say("line %1: a NUL byte ends the text before the first facet",
                            "строка %1: нулевой байт обрывает текст до первой грани",
                            Str(LineOf(begin, end)));
        } else if (std::all_of(std::min(start, end), end, IsBlank)) {
            why = base::Pick("the file is empty", "файл пуст");
        } else {
            why = base::Say("line %1: the file ends without a facet",
                            "строка %1: файл кончается, не дойдя до грани",
                            Str(LineOf(begin, LastNonBlank(begin, end))));
        }
        return false;
    }
    if (text.Facets > kMaxPolygons) {
        why = base::Say("the file holds %1 facets, more than a model can take (%2)",
                        "граней в файле больше, чем может вместить модель: %1 (не более %2)",
                        Str(text.Facets), Str(kMaxPolygons));
        return false;
    }
    return true;
}

TResult Read(std::string_view data, std::string_view name, TProgress& progress,
             std::size_t parallelFromBytes, TParsed& parsed) {
    // The size rule comes first: many binary files begin with "solid" too.
    std::uint64_t facets = 0;
    if (IsSizeConsistentBinary(data, facets)) {
        return ReadBinary(data, facets, name, progress, parsed);
    }
    if (data.empty()) {
        return TResult::Failure(base::Say("%1: the file is empty", "%1: файл пуст", name));
    }
    std::int64_t facetsRead = 0;
    std::string why;
    if (ReadAscii(data, progress, parallelFromBytes, parsed, facetsRead, why)) {
        return TResult::Success();
    }
    if (facetsRead > 0) {
        return TResult::Failure(WithName(name, why));
    }
    // Text that never got to a facet may be no ASCII at all: say what it looks like.
    if (const std::string_view utf16 = Utf16Kind(data); !utf16.empty()) {
        return TResult::Failure(base::Say(
            "%1: UTF-16 text (%2), but an STL file is ASCII text or binary",
            "%1: текст UTF-16 (%2), а файл STL бывает текстом ASCII или двоичным", name, utf16));
    }
    // Control bytes where a binary file has its count and first facet: most likely a
    // damaged binary file. When it begins like ASCII STL too, either may be meant, and
    // the reason says why it is neither.
    if (data.size() < kBinaryHeaderBytes || !LooksBinary(data)) {
        return TResult::Failure(WithName(name, why));
    }
    std::string kind;
    std::string detail;
    BinaryShape(data, kind, detail);
    if (StartsLikeAsciiStl(data)) {
        return TResult::Failure(base::Say(
            "%1: neither binary nor ASCII STL: as binary STL, %2; as ASCII STL, which its "
            "first word \"solid\" suggests, %3",
            "%1: ни двоичный файл STL, ни STL в тексте ASCII: как двоичный STL, %2; как STL в "
            "тексте ASCII, на что указывает первое слово \"solid\", %3",
            name, detail, why));
    }
    return TResult::Failure(std::string(name) + ": " + kind + ": " + detail);
}

// What every load does before anything can fail: the model is changed, and until the
// load succeeds it holds no geometry (the memory of the old list is given back).
void BeginLoad(TSurFaceData& surface) {
    surface.Modified = true;
    surface.SurfaceExist = false;
    TSurface().swap(surface.Polygons);
    surface.PolygonCount = 0;
}

// Hands a model read in full to `surface`: its polygons and their bounding box.
void StoreParsed(TParsed& parsed, TSurFaceData& surface) {
    surface.Polygons = std::move(parsed.Polygons);
    surface.PolygonCount = static_cast<std::int32_t>(surface.Polygons.size());
    surface.SurfaceExist = true;
    surface.Xmax = parsed.Box.Max[0];
    surface.Ymax = parsed.Box.Max[1];
    surface.Zmax = parsed.Box.Max[2];
    surface.Xmin = parsed.Box.Min[0];
    surface.Ymin = parsed.Box.Min[1];
    surface.Zmin = parsed.Box.Min[2];
}

}  // namespace

TResult LoadSTLFromMemory(TSurFaceData& surface, std::string_view data, std::string_view name,
                          TProgress& progress, std::size_t parallelFromBytes) {
    BeginLoad(surface);
    TParsed parsed;
    TResult result = TResult::Success();
    try {
        result = Read(data, name, progress, parallelFromBytes, parsed);
    } catch (const std::bad_alloc&) {
        result = TResult::Failure(base::Say("%1: not enough memory for the model",
                                            "%1: недостаточно памяти для модели", name));
    }
    if (!result) {
        return result;
    }
    StoreParsed(parsed, surface);
    return result;
}

TResult LoadSTLFromMemory(TSurFaceData& surface, std::string_view data, std::string_view name,
                          const TImportOptions& options, TModelCheck* check, TProgress& progress,
                          std::size_t parallelFromBytes) {
    BeginLoad(surface);
    if (TResult valid = CheckImportOptions(options); !valid) {
        return TResult::Failure(std::string(name) + ": " + valid.Reason());
    }
    TParsed parsed;
    TModelCheck found;
    try {
        if (TResult read = Read(data, name, progress, parallelFromBytes, parsed); !read) {
            return read;
        }
        found.FacetsRead = static_cast<std::int64_t>(parsed.Polygons.size());
        const bool keepsFrame = KeepsFrame(options);
        if (!keepsFrame) {
            if (TResult placed = BringIntoToolFrame(parsed.Polygons, options); !placed) {
                return TResult::Failure(std::string(name) + ": " + placed.Reason());
            }
            // The reader's box was taken in the file's frame.
            parsed.Box = TBox();
            for (const TPolygon& p : parsed.Polygons) {
                parsed.Box.Add(p);
            }
        }
        // With nothing to repair and nobody asking, the polygons stay exactly as read.
        if (check != nullptr || options.RepairNormals || !options.KeepDuplicates) {
            // Dropping duplicates leaves every vertex in place: the box stays.
            RepairAndCheck(parsed.Polygons, options, found, progress);
        }
    } catch (const std::bad_alloc&) {
        return TResult::Failure(base::Say("%1: not enough memory for the model",
                                          "%1: недостаточно памяти для модели", name));
    }
    StoreParsed(parsed, surface);
    surface.ImportOptions = options;
    if (check != nullptr) {
        found.Xmin = surface.Xmin;
        found.Xmax = surface.Xmax;
        found.Ymin = surface.Ymin;
        found.Ymax = surface.Ymax;
        found.Zmin = surface.Zmin;
        found.Zmax = surface.Zmax;
        *check = found;
    }
    return TResult::Success();
}

namespace {

std::size_t ParallelFromBytes() {
    return std::thread::hardware_concurrency() >= 2 ? kStlParallelFromBytes
                                                    : std::numeric_limits<std::size_t>::max();
}

}  // namespace

TResult TSurFaceData::LoadSTLFromMemory(std::string_view data, std::string_view name,
                                        TProgress& progress) {
    return LoadSTLFromMemory(data, name, TImportOptions{}, nullptr, progress);
}

TResult TSurFaceData::LoadSTLFromMemory(std::string_view data, std::string_view name,
                                        const TImportOptions& options, TModelCheck* check,
                                        TProgress& progress) {
    return model::LoadSTLFromMemory(*this, data, name, options, check, progress,
                                    ParallelFromBytes());
}

TResult TSurFaceData::LoadSTL(const std::string& path, TProgress& progress) {
    return LoadSTL(path, TImportOptions{}, nullptr, progress);
}

TResult TSurFaceData::LoadSTL(const std::string& path, const TImportOptions& options,
                              TModelCheck* check, TProgress& progress) {
    BeginLoad(*this);
    base::TFileContents file;
    if (TResult opened = file.Open(path); !opened) {
        return opened;
    }
    return LoadSTLFromMemory(file.Text(), path, options, check, progress);
}

}  // namespace tessarin::model
