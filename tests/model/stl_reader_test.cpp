// STL import: ASCII read by tokens and keywords, binary recognised by its size, exact
// numbers, the bounding box, the model after a failed load, progress, and the same
// results under a "," locale. Every ASCII case also runs with the text split in two
// halves read by two threads, which must change nothing, not even a reason's line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/stl_reader.h"
#include "model/surface_data.h"
#include "tests/support/fixtures.h"
#include "tests/support/recording_progress.h"
#include "tests/support/russian_reasons.h"

namespace tessarin::model {

void PrintTo(const TPolygon& p, std::ostream* os) {
    const auto v = [os](const TVector3& q) {
        *os << "(" << q.x << ", " << q.y << ", " << q.z << ")";
    };
    *os << "{n ";
    v(p.Normal);
    *os << " ";
    v(p.Vert1);
    v(p.Vert2);
    v(p.Vert3);
    *os << "}";
}

namespace {

using test::TRecordingProgress;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

constexpr std::size_t kNeverSplit = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kAlwaysSplit = 0;
constexpr std::string_view kName = "case.stl";

std::string SplitName(std::size_t parallelFromBytes) {
    return parallelFromBytes == kAlwaysSplit ? "split" : "whole";
}

// Bit for bit, so that -0 and 0 differ and a NaN equals itself.
bool SameBits(const TPolygon& a, const TPolygon& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSamePolygons(const TSurface& actual, const std::vector<TPolygon>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_TRUE(SameBits(actual[i], expected[i]))
            << "polygon " << i << ": " << ::testing::PrintToString(actual[i]) << " instead of "
            << ::testing::PrintToString(expected[i]);
    }
}

TPolygon Tri(TVector3 normal, TVector3 v1, TVector3 v2, TVector3 v3) {
    return {v1, v2, v3, normal};
}

const TPolygon kUnit = Tri({0, 0, 1}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9});

// The usual layout, one item per line.
std::string Facet(std::string_view normal = "0 0 1", std::string_view v1 = "1 2 3",
                  std::string_view v2 = "4 5 6", std::string_view v3 = "7 8 9") {
    std::string text;
    text.append("  facet normal ").append(normal).append("\n    outer loop\n");
    for (const std::string_view v : {v1, v2, v3}) {
        text.append("      vertex ").append(v).append("\n");
    }
    text.append("    endloop\n  endfacet\n");
    return text;
}

std::string Solid(const std::string& facets) {
    return "solid t\n" + facets + "endsolid t\n";
}

// `text` with its first `from` replaced by `to`.
std::string Glue(std::string text, std::string_view from, std::string_view to) {
    return text.replace(text.find(from), from.size(), to);
}

// n facets in the usual layout; facet k (1-based) starts on line 7k - 5 and has its
// first vertex x = k. `bad` facets get "x" for the z of their second vertex.
std::string ManyFacets(int n, std::vector<int> bad = {}) {
    std::string text = "solid many\n";
    for (int k = 1; k <= n; ++k) {
        const bool broken = std::find(bad.begin(), bad.end(), k) != bad.end();
        text += Facet("0 0 1", std::to_string(k) + " 0.5 -1.25", broken ? "2 2 x" : "2 2 2",
                      "0 1e-3 7");
    }
    return text + "endsolid many\n";
}

TResult Load(TSurFaceData& surface, std::string_view text, std::size_t parallelFromBytes,
             TProgress& progress = NullProgress()) {
    return LoadSTLFromMemory(surface, text, kName, progress, parallelFromBytes);
}

// ---------------------------------------------------------------------------------------
// ASCII text that loads

struct TTextCase {
    const char* Label;
    std::string Text;
    std::vector<TPolygon> Expected;
};

void PrintTo(const TTextCase& c, std::ostream* os) {
    *os << c.Label;
}

std::vector<TTextCase> TextCases() {
    const std::string crlf = [] {
        std::string s;
        for (const char c : Solid(Facet())) {
            s += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        return s;
    }();
    std::string cr = Solid(Facet());
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    std::string nameWithFacets = "solid a\n" + Facet() + "endsolid a\nsolid";
    for (int i = 0; i < 400; ++i) {
        nameWithFacets += " facet";  // the name line holds the middle of the text
    }
    nameWithFacets += "\n" + Facet("0 0 -1") + "endsolid\n";

    return {
        {"usual_layout", Solid(Facet()), {kUnit}},
        {"tabs_between_tokens",
         "solid\tt\n\tfacet\tnormal\t0\t0\t1\n\t\touter\tloop\n\t\t\tvertex\t1\t2\t3\n"
         "\t\t\tvertex\t4\t5\t6\n\t\t\tvertex\t7\t8\t9\n\t\tendloop\n\tendfacet\nendsolid\tt\n",
         {kUnit}},
        {"crlf_line_ends", crlf, {kUnit}},
        {"lone_cr_line_ends", cr, {kUnit}},
        {"blank_lines_inside_facet",
         "solid t\n\n  facet normal 0 0 1\n\n   \n    outer loop\n      vertex 1 2 3\n\r\n"
         "      vertex 4 5 6\n      vertex 7 8 9\n\n    endloop\n\n  endfacet\n\nendsolid t\n\n\n",
         {kUnit}},
        {"leading_and_repeated_blanks",
         Solid(Facet("  0   0 \t 1", "   1  2    3", "4 \t5  6", " 7 8  9   ")),
         {kUnit}},
        {"upper_case_keywords",
         "SOLID T\nFACET NORMAL 0 0 1\nOUTER LOOP\nVERTEX 1 2 3\nVERTEX 4 5 6\nVERTEX 7 8 9\n"
         "ENDLOOP\nENDFACET\nENDSOLID T\n",
         {kUnit}},
        {"mixed_case_keywords",
         "Solid t\nFacet Normal 0 0 1\nOuter Loop\nVertex 1 2 3\nvERTEX 4 5 6\nVeRtEx 7 8 9\n"
         "EndLoop\nEndFacet\nEndSolid t\n",
         {kUnit}},
        {"whole_facet_on_one_line",
         "solid t\nfacet normal 0 0 1 outer loop vertex 1 2 3 vertex 4 5 6 vertex 7 8 9 "
         "endloop endfacet endsolid",
         {kUnit}},
        {"no_name", "solid\n" + Facet() + "endsolid\n", {kUnit}},
        {"name_made_of_keywords",
         "solid facet normal 1 2 3\n" + Facet() + "endsolid vertex 7 x\n",
         {kUnit}},
        // A missing last "endsolid" is accepted when the last facet is complete.
        {"no_final_endsolid", "solid t\n" + Facet(), {kUnit}},
        {"no_final_endsolid_no_line_end",
         "solid t\nfacet normal 0 0 1 outer loop vertex 1 2 3 vertex 4 5 6 vertex 7 8 9 "
         "endloop endfacet",
         {kUnit}},
        {"two_solids_one_after_another",
         Solid(Facet()) + Solid(Facet("0 0 -1", "0 0 0", "1 1 1", "2 2 2")),
         {kUnit, Tri({0, 0, -1}, {0, 0, 0}, {1, 1, 1}, {2, 2, 2})}},
        {"empty_solid_before_a_full_one", "solid a\nendsolid a\n" + Solid(Facet()), {kUnit}},
        {"byte_order_mark", "\xEF\xBB\xBF" + Solid(Facet()), {kUnit}},
        // A NUL byte ends the text; what follows is never read.
        {"nul_padding_after_the_text", Solid(Facet()) + std::string(3, '\0') + "garbage", {kUnit}},
        // The normal is kept as written: neither normalised nor recomputed from the
        // vertices (this one even points the wrong way).
        {"normal_kept_as_written",
         Solid(Facet("3 -4 12.5")),
         {Tri({3, -4, 12.5}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9})}},
        {"zero_normal_kept",
         Solid(Facet("0 0 0")),
         {Tri({0, 0, 0}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9})}},
        // The first "facet" after the middle stands in a name, so the split is no facet
        // boundary: the first reader must notice and read on alone.
        {"split_point_inside_a_name",
         nameWithFacets,
         {kUnit, Tri({0, 0, -1}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9})}},
    };
}

class StlAsciiText : public ::testing::TestWithParam<std::tuple<TTextCase, std::size_t>> {};

TEST_P(StlAsciiText, LoadsPolygonsInFileOrder) {
    const auto& [c, parallelFromBytes] = GetParam();
    TSurFaceData surface;
    const TResult result = Load(surface, c.Text, parallelFromBytes);
    ASSERT_TRUE(result.Ok()) << result.Reason();
    EXPECT_TRUE(result.Reason().empty());
    ExpectSamePolygons(surface.Polygons, c.Expected);
    EXPECT_EQ(surface.PolygonCount, static_cast<std::int32_t>(c.Expected.size()));
    EXPECT_TRUE(surface.SurfaceExist);
    EXPECT_TRUE(surface.Modified);
}

INSTANTIATE_TEST_SUITE_P(Variations, StlAsciiText,
                         ::testing::Combine(::testing::ValuesIn(TextCases()),
                                            ::testing::Values(kNeverSplit, kAlwaysSplit)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).Label) + "_" +
                                    SplitName(std::get<1>(info.param));
                         });

// ---------------------------------------------------------------------------------------
// Numbers

struct TNumberCase {
    const char* Label;
    const char* Text;
    double Expected;
};

void PrintTo(const TNumberCase& c, std::ostream* os) {
    *os << c.Label;
}

// Every number is read exactly: the double nearest to the decimal value, ties to even,
// whichever separator it is written with.
const TNumberCase kNumbers[] = {
    {"integer_without_period", "7", 7.0},
    {"period", "0.1", 0.1},
    {"comma", "0,1", 0.1},
    {"exponent_with_sign_and_zeros", "1.500000e+001", 15.0},
    {"upper_case_exponent", "-2.5E-3", -2.5e-3},
    {"comma_with_exponent", "-2,5E-3", -2.5e-3},
    {"leading_plus", "+7.25", 7.25},
    {"period_first", ".5", 0.5},
    {"period_last", "2.", 2.0},
    {"negative_zero", "-0", -0.0},
    {"integer_above_2_pow_53_ties_to_even", "9007199254740993", 9007199254740992.0},
    {"exactly_halfway_ties_to_even", "1.00000000000000011102230246251565404236316680908203125",
     1.0},
    {"just_above_halfway_rounds_up", "1.00000000000000011102230246251565404236316680908203126",
     1.0000000000000002},
    {"just_above_halfway_with_comma", "1,00000000000000011102230246251565404236316680908203126",
     1.0000000000000002},
    {"smallest_normal_neighbour", "2.2250738585072011e-308", 2.2250738585072011e-308},
    {"subnormal", "4.9406564584124654e-324", std::numeric_limits<double>::denorm_min()},
    // Below the smallest subnormal: zero, as storing it in a double gives. (Beyond the
    // largest double a vertex is refused: StlRefusal.)
    {"below_double", "1e-400", 0.0},
};

class StlNumber : public ::testing::TestWithParam<TNumberCase> {};

TEST_P(StlNumber, IsReadExactly) {
    const TNumberCase& c = GetParam();
    TSurFaceData surface;
    const std::string text = Solid(Facet("0 0 1", "1 2 3", std::string(c.Text) + " 5 6"));
    const TResult result = Load(surface, text, kNeverSplit);
    ASSERT_TRUE(result.Ok()) << result.Reason();
    EXPECT_EQ(std::bit_cast<std::uint64_t>(surface.Polygons.at(0).Vert2.x),
              std::bit_cast<std::uint64_t>(c.Expected))
        << surface.Polygons.at(0).Vert2.x;
}

INSTANTIATE_TEST_SUITE_P(Forms, StlNumber, ::testing::ValuesIn(kNumbers),
                         [](const auto& info) { return std::string(info.param.Label); });

// Tokens that look a little like numbers and are not (std::from_chars alone would take
// several of them).
const char* const kNotNumbers[] = {"nan", "inf",   "-inf",   "infinity", "1,5.3", "1.5,3",
                                   "1e",  "1e+",   "--1",    "+-1",      "1.5f",  ".",
                                   "-",   "0x1p3", "1e5000", "1_000",    "١"};

class StlRejectedNumber : public ::testing::TestWithParam<const char*> {};

TEST_P(StlRejectedNumber, FailsNamingTheLine) {
    TSurFaceData surface;
    const std::string token = GetParam();
    const std::string text = Solid(Facet("0 0 1", "1 2 3", "4 " + token + " 6"));
    const TResult result = Load(surface, text, kNeverSplit);
    EXPECT_FALSE(result.Ok());
    EXPECT_THAT(result.Reason(),
                StartsWith("case.stl, line 5: expected \"vertex\" and three numbers, found "));
    EXPECT_FALSE(surface.SurfaceExist);
}

// In Russian the reason names the file and the line and quotes the token, the rest of it
// Russian.
TEST_P(StlRejectedNumber, SaysWhyInRussian) {
    const test::TRussianMessages russian;
    TSurFaceData surface;
    const std::string text = Solid(Facet("0 0 1", "1 2 3", "4 " + std::string(GetParam()) + " 6"));
    const TResult result = Load(surface, text, kNeverSplit);
    ASSERT_FALSE(result.Ok());
    EXPECT_THAT(result.Reason(),
                StartsWith("case.stl, строка 5: ожидалось \"vertex\" и три числа"));
    EXPECT_THAT(test::StrayLatinWords(result.Reason(), "case.stl"), IsEmpty()) << result.Reason();
}

INSTANTIATE_TEST_SUITE_P(Tokens, StlRejectedNumber, ::testing::ValuesIn(kNotNumbers),
                         [](const auto& info) { return "token" + std::to_string(info.index); });

// ---------------------------------------------------------------------------------------
// ASCII text that does not load

struct TErrorCase {
    const char* Label;
    std::string Text;
    std::string Reason;
};

void PrintTo(const TErrorCase& c, std::ostream* os) {
    *os << c.Label;
}

std::vector<TErrorCase> ErrorCases() {
    const std::string crlf =
        "solid t\r\n facet normal 0 0 1\r\n\r\n  outer loop\r\n   vertex 1 2 3\r\n"
        "   vertex 4 5 6\r\n   vertex 7 8\r\n  endloop\r\n";
    std::string cr = crlf;
    cr.erase(std::remove(cr.begin(), cr.end(), '\n'), cr.end());
    return {
        {"empty_file", "", "case.stl: the file is empty"},
        {"only_blanks", " \n\t\r\n  ", "case.stl: the file is empty"},
        {"header_only", "solid empty\n", "case.stl, line 1: the file ends without a facet"},
        {"empty_solid", "solid a\nendsolid a\n\n",
         "case.stl, line 2: the file ends without a facet"},
        {"no_solid_keyword", Facet() + "endsolid\n",
         "case.stl, line 1: expected \"solid\", found \"facet\""},
        {"keyword_glued_to_name", "solidname\n" + Facet(),
         "case.stl, line 1: expected \"solid\", found \"solidname\""},
        {"missing_vertex",
         "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 1 2 3\n   vertex 4 5 6\n"
         "  endloop\n endfacet\nendsolid t\n",
         "case.stl, line 6: expected \"vertex\" and three numbers, found \"endloop\""},
        {"fourth_vertex", Solid(Facet("0 0 1", "1 2 3", "4 5 6", "7 8 9\n vertex 1 1 1")),
         "case.stl, line 7: expected \"endloop\", found \"vertex\""},
        {"four_numbers_first_vertex", Solid(Facet("0 0 1", "1 2 3 4")),
         "case.stl, line 4: expected \"vertex\" and three numbers, found a fourth number \"4\""},
        {"four_numbers_last_vertex", Solid(Facet("0 0 1", "1 2 3", "4 5 6", "7 8 9 10")),
         "case.stl, line 6: expected \"endloop\", found a fourth number \"10\""},
        {"four_numbers_normal", Solid(Facet("0 0 1 -1")),
         "case.stl, line 2: expected \"outer loop\", found a fourth number \"-1\""},
        // The line named is the keyword's, not the line on which the numbers ran out.
        {"two_numbers", Solid(Facet("0 0 1", "1 2", "4 5 6")),
         "case.stl, line 4: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"vertex\""},
        {"normal_without_numbers", "solid t\n facet normal\n  outer loop\n",
         "case.stl, line 2: expected \"facet normal\" and three numbers, found 0 numbers and "
         "then \"outer\""},
        {"facet_without_normal", "solid t\n facet\n  outer loop\n",
         "case.stl, line 3: expected \"facet normal\" and three numbers, found \"outer\""},
        {"word_instead_of_number", Solid(Facet("0 0 1", "1 2 x3")),
         "case.stl, line 4: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"x3\""},
        {"malformed_number", Solid(Facet("0 0 1", "1 2,5.3 3")),
         "case.stl, line 4: expected \"vertex\" and three numbers, found \"2,5.3\""},
        {"keyword_glued_to_number", Glue(Solid(Facet()), "vertex 4", "vertex4"),
         "case.stl, line 5: expected \"vertex\" and three numbers, found \"vertex4\""},
        {"missing_outer", "solid t\n facet normal 0 0 1\n  vertex 1 2 3\n",
         "case.stl, line 3: expected \"outer loop\", found \"vertex\""},
        {"outer_without_loop", "solid t\n facet normal 0 0 1\n  outer\n  vertex 1 2 3\n",
         "case.stl, line 4: expected \"outer loop\", found \"vertex\""},
        {"missing_endfacet",
         "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 1 2 3\n   vertex 4 5 6\n"
         "   vertex 7 8 9\n  endloop\n facet normal 0 0 1\n",
         "case.stl, line 8: expected \"endfacet\", found \"facet\""},
        {"unknown_word_between_facets", Solid(Facet() + "  facets\n"),
         "case.stl, line 9: expected \"facet\" or \"endsolid\", found \"facets\""},
        {"garbage_after_endsolid", Solid(Facet()) + "\n junk here\n",
         "case.stl, line 11: expected \"solid\", found \"junk\""},
        {"ends_inside_facet", "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 1 2\n\n",
         "case.stl, line 4: expected \"vertex\" and three numbers, found 2 numbers and then the "
         "end of the file"},
        {"ends_after_outer_loop", "solid t\n facet normal 0 0 1\n  outer loop\n\n\n",
         "case.stl, line 3: expected \"vertex\" and three numbers, found the end of the file"},
        {"nul_byte_inside_facet",
         "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 1 2" + std::string(1, '\0') +
             " 3\n",
         "case.stl, line 4: expected \"vertex\" and three numbers, found 2 numbers and then a "
         "NUL byte, which ends the text"},
        {"crlf_lines_counted_once", crlf,
         "case.stl, line 7: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"endloop\""},
        {"lone_cr_lines_counted", cr,
         "case.stl, line 7: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"endloop\""},
        {"unprintable_token_shown_safely", Solid(Facet() + Facet("0 0 1", "1 2 \x01\xFF")),
         "case.stl, line 11: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"??\""},
        // One bad vertex in the last facet fails the whole load.
        {"error_in_last_facet", ManyFacets(30, {30}),
         "case.stl, line 208: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"x\""},
        // Errors in both halves of a split text: the first in the file is the one reported.
        {"errors_in_both_halves", ManyFacets(30, {4, 27}),
         "case.stl, line 26: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"x\""},
        {"error_in_second_half_only", ManyFacets(30, {27}),
         "case.stl, line 187: expected \"vertex\" and three numbers, found 2 numbers and then "
         "\"x\""},
    };
}

class StlAsciiError : public ::testing::TestWithParam<std::tuple<TErrorCase, std::size_t>> {};

TEST_P(StlAsciiError, FailsWithReasonAndLeavesNoGeometry) {
    const auto& [c, parallelFromBytes] = GetParam();
    TSurFaceData surface;
    // What a previous load left: a failed load keeps the box and drops the polygons.
    surface.Polygons.assign(3, kUnit);
    surface.PolygonCount = 3;
    surface.SurfaceExist = true;
    surface.Xmax = 11;
    surface.Xmin = -12;
    surface.Ymax = 13;
    surface.Ymin = -14;
    surface.Zmax = 15;
    surface.Zmin = -16;

    const TResult result = Load(surface, c.Text, parallelFromBytes);
    EXPECT_FALSE(result.Ok());
    EXPECT_EQ(result.Reason(), c.Reason);
    EXPECT_FALSE(surface.SurfaceExist);
    EXPECT_TRUE(surface.Modified);
    EXPECT_EQ(surface.PolygonCount, 0);
    EXPECT_TRUE(surface.Polygons.empty());
    EXPECT_EQ(surface.Polygons.capacity(), 0u) << "the memory of the polygons is given back";
    EXPECT_EQ(std::make_tuple(surface.Xmax, surface.Xmin, surface.Ymax, surface.Ymin, surface.Zmax,
                              surface.Zmin),
              std::make_tuple(11.0, -12.0, 13.0, -14.0, 15.0, -16.0));
}

// The same texts under the Russian message language: the file and the line named, the
// input quoted, the rest in Russian.
TEST_P(StlAsciiError, SaysWhyInRussian) {
    const auto& [c, parallelFromBytes] = GetParam();
    const test::TRussianMessages russian;
    TSurFaceData surface;
    const TResult result = Load(surface, c.Text, parallelFromBytes);
    ASSERT_FALSE(result.Ok());
    const std::string& reason = result.Reason();
    EXPECT_THAT(test::StrayLatinWords(reason, "case.stl"), IsEmpty()) << reason;
    EXPECT_TRUE(test::HasCyrillic(reason)) << reason;
    const bool atLine = c.Reason.starts_with("case.stl, line ");
    EXPECT_EQ(reason.starts_with("case.stl, строка "), atLine) << reason;
    EXPECT_EQ(reason.starts_with("case.stl: "), !atLine) << reason;
}

INSTANTIATE_TEST_SUITE_P(Malformed, StlAsciiError,
                         ::testing::Combine(::testing::ValuesIn(ErrorCases()),
                                            ::testing::Values(kNeverSplit, kAlwaysSplit)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).Label) + "_" +
                                    SplitName(std::get<1>(info.param));
                         });

TEST(StlAsciiSplit, LargeTextReadInTwoHalvesEqualsOneReading) {
    const std::string text = ManyFacets(3000);
    TSurFaceData whole;
    TSurFaceData split;
    ASSERT_TRUE(Load(whole, text, kNeverSplit).Ok());
    ASSERT_TRUE(Load(split, text, kAlwaysSplit).Ok());
    ASSERT_EQ(split.PolygonCount, 3000);
    EXPECT_EQ(split.Polygons.back().Vert1.x, 3000.0);
    EXPECT_EQ(std::memcmp(whole.Polygons.data(), split.Polygons.data(),
                          whole.Polygons.size() * sizeof(TPolygon)),
              0);
    EXPECT_EQ(
        std::make_tuple(split.Xmax, split.Xmin, split.Ymax, split.Ymin, split.Zmax, split.Zmin),
        std::make_tuple(3000.0, 0.0, 2.0, 0.0, 7.0, -1.25));
}

// The first half is one long name line, read in an instant; the second half holds more
// than a progress batch of facets. The helper thread must be allowed to finish: waiting
// for it is not giving up on it.
TEST(StlAsciiSplit, SecondHalfLongerThanTheFirstIsReadToTheEnd) {
    const int n = kProgressBatch + 2000;
    std::string text = "solid " + std::string(std::size_t{2} << 20, 'x') + "\n";
    for (int k = 0; k < n; ++k) {
        text +=
            "facet normal 0 0 1 outer loop vertex 1 2 3 vertex 4 5 6 vertex 7 8 9 endloop "
            "endfacet\n";
    }
    TSurFaceData surface;
    const TResult result = Load(surface, text, kAlwaysSplit);
    ASSERT_TRUE(result.Ok()) << result.Reason();
    EXPECT_EQ(surface.PolygonCount, n);
}

// ---------------------------------------------------------------------------------------
// Files on disk, ASCII and binary

struct TFileCase {
    const char* File;
    std::vector<TPolygon> Expected;  // empty when the load must fail
    std::string Reason;              // after the path
};

void PrintTo(const TFileCase& c, std::ostream* os) {
    *os << c.File;
}

std::vector<TFileCase> FileCases() {
    return {
        {"exponent_numbers.stl",
         {Tri({0, -1, 0}, {15, -2.5e-3, 3}, {20, 0, 3}, {15, 0, 0.725})},
         ""},
        {"comma_decimals_crlf_tabs.stl",
         {Tri({0, 0, 1}, {0.5, 1.25, -2.5e-3}, {15, 0, 0}, {0, 0.1, 0})},
         ""},
        {"blank_line_inside_facet.stl", {Tri({0, 0, 1}, {1.5, 2, 3}, {4, 5, 6}, {7, 8, 9})}, ""},
        {"two_solids_concatenated.stl",
         {Tri({0, 0, 1}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}),
          Tri({0, 0, -1}, {0, 0, -5}, {0, 1, -5}, {1, 0, -5})},
         ""},
        // Binary by its size although it begins with "solid"; float32 values widen
        // exactly, the normal (not of unit length, even NaN) stays as stored and the
        // attribute bytes are ignored.
        {"binary_header_begins_with_solid.stl",
         {Tri({0, 0, 2}, {1, 2, 3}, {4.5, 5, 6}, {-7, 8, static_cast<double>(0.1f)}),
          Tri({static_cast<double>(std::numeric_limits<float>::quiet_NaN()), 0, 0}, {10, -20, 30},
              {0, 0, 0}, {1, 1, 1})},
         ""},
        {"binary_nan_vertex.stl",
         {},
         ": corrupt binary STL: facet 2 (byte offset 134): vertex 3 has a coordinate that is not "
         "a finite number"},
        // Its header begins with "solid": the reason says why it is neither kind.
        {"binary_truncated.stl",
         {},
         ": neither binary nor ASCII STL: as binary STL, the header announces 3 facets (234 "
         "bytes), the file ends at byte 214, inside facet 3; as ASCII STL, which its first word "
         "\"solid\" suggests, line 1: a NUL byte ends the text before the first facet"},
        {"utf16le_text_with_bom.stl",
         {},
         ": UTF-16 text (little-endian, with a byte order mark), but an STL file is ASCII text "
         "or binary"},
        {"ascii_vertex_beyond_double.stl",
         {},
         ", line 5: expected \"vertex\" and three numbers, found \"1e400\", a number out of the "
         "range of a double"},
        {"bad_number_in_last_facet.stl",
         {},
         ", line 13: expected \"vertex\" and three numbers, found 2 numbers and then \"z\""},
    };
}

class StlFile : public ::testing::TestWithParam<TFileCase> {};

TEST_P(StlFile, LoadsFromDisk) {
    const TFileCase& c = GetParam();
    const std::string path = test::FixturePath(std::string("stl/") + c.File);
    TSurFaceData surface;
    // The reader's own output: normals as stored, duplicates kept.
    TImportOptions asRead;
    asRead.RepairNormals = false;
    asRead.KeepDuplicates = true;
    const TResult result = surface.LoadSTL(path, asRead, nullptr);
    EXPECT_TRUE(surface.Modified);
    if (c.Expected.empty()) {
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(result.Reason(), path + c.Reason);
        EXPECT_FALSE(surface.SurfaceExist);
        EXPECT_EQ(surface.PolygonCount, 0);
        EXPECT_TRUE(surface.Polygons.empty());
    } else {
        ASSERT_TRUE(result.Ok()) << result.Reason();
        ExpectSamePolygons(surface.Polygons, c.Expected);
        EXPECT_EQ(surface.PolygonCount, static_cast<std::int32_t>(c.Expected.size()));
        EXPECT_TRUE(surface.SurfaceExist);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StlFile, ::testing::ValuesIn(FileCases()), [](const auto& info) {
    std::string name = info.param.File;
    return name.substr(0, name.find('.'));
});

// The fixtures that do not load, under the Russian message language: the reason begins
// with the file's name and says the rest in Russian.
std::vector<TFileCase> RefusedFileCases() {
    std::vector<TFileCase> refused;
    for (const TFileCase& c : FileCases()) {
        if (c.Expected.empty()) {
            refused.push_back(c);
        }
    }
    return refused;
}

class StlRefusedFile : public ::testing::TestWithParam<TFileCase> {};

TEST_P(StlRefusedFile, SaysWhyInRussian) {
    const test::TRussianMessages russian;
    const std::string path = test::FixturePath(std::string("stl/") + GetParam().File);
    TSurFaceData surface;
    const TResult result = surface.LoadSTL(path);
    ASSERT_FALSE(result.Ok());
    EXPECT_TRUE(result.Reason().starts_with(path)) << result.Reason();
    EXPECT_THAT(test::StrayLatinWords(result.Reason(), path), IsEmpty()) << result.Reason();
    EXPECT_TRUE(test::HasCyrillic(result.Reason())) << result.Reason();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StlRefusedFile, ::testing::ValuesIn(RefusedFileCases()),
                         [](const auto& info) {
                             std::string name = info.param.File;
                             return name.substr(0, name.find('.'));
                         });

TEST(StlFile, MissingFileFailsNamingIt) {
    TSurFaceData surface;
    surface.Polygons.assign(2, kUnit);
    surface.PolygonCount = 2;
    surface.SurfaceExist = true;
    const std::string path = test::FixturePath("stl/no_such_file.stl");
    const TResult result = surface.LoadSTL(path);
    EXPECT_FALSE(result.Ok());
    EXPECT_THAT(result.Reason(), HasSubstr(path));
    EXPECT_TRUE(surface.Modified);
    EXPECT_FALSE(surface.SurfaceExist);
    EXPECT_EQ(surface.PolygonCount, 0);
    EXPECT_TRUE(surface.Polygons.empty());
}

// ---------------------------------------------------------------------------------------
// Binary STL built in memory

std::string BinaryStl(std::string_view header, const std::vector<std::array<float, 12>>& facets,
                      std::uint32_t announced) {
    std::string data(header);
    data.resize(80, ' ');
    for (int i = 0; i < 4; ++i) {
        data += static_cast<char>((announced >> (8 * i)) & 0xFF);
    }
    for (const auto& f : facets) {
        for (const float v : f) {
            const auto bits = std::bit_cast<std::uint32_t>(v);
            for (int i = 0; i < 4; ++i) {
                data += static_cast<char>((bits >> (8 * i)) & 0xFF);
            }
        }
        data += '\x07';  // the attribute, never read
        data += '\0';
    }
    return data;
}

std::string BinaryStl(std::string_view header, const std::vector<std::array<float, 12>>& facets) {
    return BinaryStl(header, facets, static_cast<std::uint32_t>(facets.size()));
}

constexpr std::array<float, 12> kFlat = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0};

TEST(StlBinary, NonFiniteVertexIsRefusedNamingFacetAndOffset) {
    struct TCase {
        std::size_t Facet;  // 0-based
        std::size_t Float;  // 3..11: vertex coordinates
        float Value;
        std::string Reason;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<TCase> cases = {
        {0, 3, inf, "facet 1 (byte offset 84): vertex 1"},
        {1, 7, -inf, "facet 2 (byte offset 134): vertex 2"},
        {2, 11, std::numeric_limits<float>::quiet_NaN(), "facet 3 (byte offset 184): vertex 3"},
        {2, 9, -std::numeric_limits<float>::signaling_NaN(), "facet 3 (byte offset 184): vertex 3"},
    };
    for (const TCase& c : cases) {
        std::vector<std::array<float, 12>> facets(4, kFlat);
        facets[c.Facet][c.Float] = c.Value;
        TSurFaceData surface;
        const TResult result = Load(surface, BinaryStl("solid x", facets), kNeverSplit);
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(result.Reason(), "case.stl: corrupt binary STL: " + c.Reason +
                                       " has a coordinate that is not a finite number");
        EXPECT_TRUE(surface.Polygons.empty());
    }
}

TEST(StlBinary, NonFiniteNormalIsKeptAsStored) {
    std::vector<std::array<float, 12>> facets(2, kFlat);
    facets[0][0] = std::numeric_limits<float>::infinity();
    facets[1][2] = std::numeric_limits<float>::quiet_NaN();
    TSurFaceData surface;
    const TResult result = Load(surface, BinaryStl("", facets), kNeverSplit);
    ASSERT_TRUE(result.Ok()) << result.Reason();
    EXPECT_EQ(surface.Polygons[0].Normal.x, std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(surface.Polygons[1].Normal.z));
}

TEST(StlBinary, SizeThatDoesNotFitFails) {
    const std::string two = BinaryStl("solid x", {kFlat, kFlat});
    const struct {
        const char* Label;
        std::string Data;
        std::string Reason;
    } cases[] = {
        {"no facet", BinaryStl("solid x", {}), "case.stl: the binary STL holds no facet"},
        {"bytes after the last facet", two + "abc",
         "case.stl: neither binary nor ASCII STL: as binary STL, the header announces 2 facets "
         "(184 bytes), the file has 3 bytes more; as ASCII STL, which its first word \"solid\" "
         "suggests, line 1: a NUL byte ends the text before the first facet"},
        {"bytes after the last facet, no text header", BinaryStl("", {kFlat, kFlat}) + "abc",
         "case.stl: binary STL of inconsistent size: the header announces 2 facets (184 bytes), "
         "the file has 3 bytes more"},
        {"count larger than the facets", BinaryStl("", {kFlat, kFlat}, 3),
         "case.stl: truncated binary STL: the header announces 3 facets (234 bytes), the file "
         "ends at byte 184, inside facet 3"},
        // Too short to hold a count: read as text, which ends before a facet.
        {"shorter than the header", two.substr(0, 83),
         "case.stl, line 1: a NUL byte ends the text before the first facet"},
        // A count that makes the size look plausible only modulo 2^32 must not pass.
        {"count near 2^32", BinaryStl("", {kFlat}, 0xFFFFFFFFu),
         "case.stl: truncated binary STL: the header announces 4294967295 facets "
         "(214748364834 bytes), the file ends at byte 134, inside facet 2"},
    };
    for (const auto& c : cases) {
        TSurFaceData surface;
        const TResult result = Load(surface, c.Data, kNeverSplit);
        EXPECT_FALSE(result.Ok()) << c.Label;
        EXPECT_EQ(result.Reason(), c.Reason) << c.Label;
        EXPECT_FALSE(surface.SurfaceExist) << c.Label;
    }
}

// Every way a binary file misses the size rule, said in Russian.
TEST(StlBinary, SizeThatDoesNotFitIsSaidInRussian) {
    const test::TRussianMessages russian;
    const std::string two = BinaryStl("solid x", {kFlat, kFlat});
    const std::vector<std::pair<std::string, std::string>> cases{
        {BinaryStl("", {}), "case.stl: в двоичном файле STL нет ни одной грани"},
        {two + "abc",
         "case.stl: ни двоичный файл STL, ни STL в тексте ASCII: как двоичный STL, "
         "число граней в заголовке: 2 (байт: 184), лишних байт в файле: 3; как STL "
         "в тексте ASCII, на что указывает первое слово \"solid\", строка 1: "
         "нулевой байт обрывает текст до первой грани"},
        {BinaryStl("", {kFlat, kFlat}) + "abc",
         "case.stl: двоичный файл STL несогласованного размера: число граней в заголовке: 2 "
         "(байт: 184), лишних байт в файле: 3"},
        {BinaryStl("", {kFlat, kFlat}, 3),
         "case.stl: обрезанный двоичный файл STL: число граней в заголовке: 3 (байт: 234), "
         "файл кончается на байте 184, внутри грани 3"},
    };
    for (const auto& [data, reason] : cases) {
        TSurFaceData surface;
        const TResult result = Load(surface, data, kNeverSplit);
        ASSERT_FALSE(result.Ok());
        EXPECT_EQ(result.Reason(), reason);
        EXPECT_THAT(test::StrayLatinWords(result.Reason(), "case.stl"), IsEmpty());
    }
}

// ---------------------------------------------------------------------------------------
// Files refused for what they are

// `text` as UTF-16 code units of the given byte order, with or without a byte order mark.
std::string Utf16(std::string_view text, bool little, bool mark) {
    std::string out;
    if (mark) {
        out = little ? "\xFF\xFE" : "\xFE\xFF";
    }
    for (const char c : text) {
        out += little ? std::string{c, '\0'} : std::string{'\0', c};
    }
    return out;
}

struct TRefusalCase {
    const char* Label;
    std::string Data;
    std::string Where;   // "line N" or "byte offset N", empty where there is none
    std::string Phrase;  // a part of the reason
};

void PrintTo(const TRefusalCase& c, std::ostream* os) {
    *os << c.Label;
}

std::vector<TRefusalCase> RefusalCases() {
    const std::string solid = Solid(Facet());
    std::vector<std::array<float, 12>> infinite(2, kFlat);
    infinite[1][4] = std::numeric_limits<float>::infinity();
    const std::string outOfRange = "a number out of the range of a double";
    return {
        // A vertex that no double holds, however it is written, as in a binary file.
        {"vertex_beyond_double", Solid(Facet("0 0 1", "1 2 3", "1e400 5 6")), "line 5",
         "found \"1e400\", " + outOfRange},
        {"negative_vertex_beyond_double", Solid(Facet("0 0 1", "1 2 3", "4 5 6", "7 8 -1e400")),
         "line 6", "found \"-1e400\", " + outOfRange},
        {"vertex_beyond_the_wide_float", Solid(Facet("0 0 1", "1e5000 2 3")), "line 4",
         "found \"1e5000\", " + outOfRange},
        {"vertex_beyond_double_with_comma", Solid(Facet("0 0 1", "1 +2,5e400 3")), "line 4",
         "found \"+2,5e400\", " + outOfRange},
        {"vertex_beyond_double_in_the_second_half",
         Glue(ManyFacets(30), "27 0.5 -1.25", "27 1e400 -1.25"), "line 186", outOfRange},
        {"binary_infinite_vertex", BinaryStl("solid x", infinite), "byte offset 134",
         "vertex 1 has a coordinate that is not a finite number"},
        // Text in another encoding is said to be one, not a damaged binary file.
        {"utf16_little_endian_with_mark", Utf16(solid, true, true), "",
         "UTF-16 text (little-endian, with a byte order mark), but an STL file is ASCII text or "
         "binary"},
        {"utf16_big_endian_with_mark", Utf16(solid, false, true), "",
         "UTF-16 text (big-endian, with a byte order mark)"},
        {"utf16_little_endian", Utf16(solid, true, false), "", "UTF-16 text (little-endian)"},
        {"utf16_big_endian", Utf16(solid, false, false), "", "UTF-16 text (big-endian)"},
        {"utf16_short", Utf16("solid", true, false), "", "UTF-16 text (little-endian)"},
        // A NUL byte ends the text: what is before it has no facet, and the binary header
        // the size rule looked at does not fit either.
        {"nul_in_the_solid_name", Glue(solid, "solid t", std::string("solid a\0b", 9)), "line 1",
         "neither binary nor ASCII STL: as binary STL, the header announces"},
        {"nul_in_the_solid_name_of_a_long_file",
         Glue(ManyFacets(3), "solid many", std::string("solid ma\0ny", 11)), "line 1",
         "; as ASCII STL, which its first word \"solid\" suggests, line 1: a NUL byte ends the "
         "text before the first facet"},
        {"nul_in_the_name_of_a_short_file", std::string("solid a\0b\n", 10), "line 1",
         "a NUL byte ends the text before the first facet"},
    };
}

class StlRefusal : public ::testing::TestWithParam<std::tuple<TRefusalCase, std::size_t>> {};

TEST_P(StlRefusal, SaysWhereAndWhy) {
    const auto& [c, parallelFromBytes] = GetParam();
    TSurFaceData surface;
    const TResult result = Load(surface, c.Data, parallelFromBytes);
    ASSERT_FALSE(result.Ok());
    EXPECT_THAT(result.Reason(), StartsWith("case.stl"));
    EXPECT_THAT(result.Reason(), HasSubstr(c.Where));
    EXPECT_THAT(result.Reason(), HasSubstr(c.Phrase));
    EXPECT_FALSE(surface.SurfaceExist);
    EXPECT_TRUE(surface.Polygons.empty());
}

TEST_P(StlRefusal, SaysWhyInRussian) {
    const auto& [c, parallelFromBytes] = GetParam();
    const test::TRussianMessages russian;
    TSurFaceData surface;
    const TResult result = Load(surface, c.Data, parallelFromBytes);
    ASSERT_FALSE(result.Ok());
    EXPECT_THAT(result.Reason(), StartsWith("case.stl"));
    EXPECT_THAT(test::StrayLatinWords(result.Reason(), "case.stl"), IsEmpty()) << result.Reason();
    EXPECT_TRUE(test::HasCyrillic(result.Reason())) << result.Reason();
}

INSTANTIATE_TEST_SUITE_P(Cases, StlRefusal,
                         ::testing::Combine(::testing::ValuesIn(RefusalCases()),
                                            ::testing::Values(kNeverSplit, kAlwaysSplit)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).Label) + "_" +
                                    SplitName(std::get<1>(info.param));
                         });

// ---------------------------------------------------------------------------------------
// Bounding box

struct TBoxCase {
    const char* Label;
    std::string Text;
    std::array<double, 6> Box;  // Xmin, Xmax, Ymin, Ymax, Zmin, Zmax
};

void PrintTo(const TBoxCase& c, std::ostream* os) {
    *os << c.Label;
}

std::vector<TBoxCase> BoxCases() {
    return {
        // The accumulators start at 0, not at the first vertex: the box always contains
        // the origin, so an all-positive model still has its minima at 0.
        {"all_positive", Solid(Facet("0 0 1", "1 2 3", "4 5 6", "7 8 9")), {0, 7, 0, 8, 0, 9}},
        {"all_negative",
         Solid(Facet("0 0 1", "-1 -2 -3", "-4 -5 -6", "-7 -8 -9")),
         {-7, 0, -8, 0, -9, 0}},
        {"straddling",
         Solid(Facet("0 0 1", "-1 2 -3", "4 -5 6", "0.5 0.5 0.5")),
         {-1, 4, -5, 2, -3, 6}},
        {"over_two_solids",
         Solid(Facet("0 0 1", "1 1 1", "2 2 2", "3 3 3")) +
             Solid(Facet("0 0 1", "-1 -1 -1", "-2 10 -2", "-3 -3 30")),
         {-3, 3, -3, 10, -2, 30}},
        // The normal never enters the box.
        {"normal_ignored",
         Solid(Facet("100 -100 100", "1 1 1", "1 1 1", "1 1 1")),
         {0, 1, 0, 1, 0, 1}},
    };
}

class StlBoundingBox : public ::testing::TestWithParam<TBoxCase> {};

TEST_P(StlBoundingBox, ContainsTheOriginAndEveryVertex) {
    const TBoxCase& c = GetParam();
    for (const std::size_t parallelFromBytes : {kNeverSplit, kAlwaysSplit}) {
        TSurFaceData surface;
        ASSERT_TRUE(Load(surface, c.Text, parallelFromBytes).Ok());
        EXPECT_EQ((std::array<double, 6>{surface.Xmin, surface.Xmax, surface.Ymin, surface.Ymax,
                                         surface.Zmin, surface.Zmax}),
                  c.Box)
            << SplitName(parallelFromBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Models, StlBoundingBox, ::testing::ValuesIn(BoxCases()),
                         [](const auto& info) { return std::string(info.param.Label); });

TEST(StlBoundingBoxLoads, FailedLoadKeepsTheBoxAndTheNextLoadStartsAfresh) {
    TSurFaceData surface;
    ASSERT_TRUE(
        Load(surface, Solid(Facet("0 0 1", "-10 -20 -30", "10 20 30", "0 0 0")), kNeverSplit).Ok());
    ASSERT_FALSE(Load(surface, Solid(Facet("0 0 1", "100 200 x")), kNeverSplit).Ok());
    EXPECT_EQ((std::array<double, 6>{surface.Xmin, surface.Xmax, surface.Ymin, surface.Ymax,
                                     surface.Zmin, surface.Zmax}),
              (std::array<double, 6>{-10, 10, -20, 20, -30, 30}));
    // A new load does not grow the old box: it starts again at the origin.
    ASSERT_TRUE(Load(surface, Solid(Facet("0 0 1", "1 2 3", "1 2 3", "1 2 3")), kNeverSplit).Ok());
    EXPECT_EQ((std::array<double, 6>{surface.Xmin, surface.Xmax, surface.Ymin, surface.Ymax,
                                     surface.Zmin, surface.Zmax}),
              (std::array<double, 6>{0, 1, 0, 2, 0, 3}));
}

// ---------------------------------------------------------------------------------------
// Progress

TEST(StlProgress, AsciiStepsInBatchesUpToTheFacetCount) {
    const int n = 2 * kProgressBatch + 100;
    const std::string text = ManyFacets(n);
    for (const std::size_t parallelFromBytes : {kNeverSplit, kAlwaysSplit}) {
        TRecordingProgress progress;
        TSurFaceData surface;
        ASSERT_TRUE(Load(surface, text, parallelFromBytes, progress).Ok());
        EXPECT_EQ(progress.Text, "Открытие файла STL >>");
        EXPECT_EQ(progress.Starts.size(), 1u);
        EXPECT_EQ(progress.Finishes, 1);
        // The maximum is estimated from the line breaks at the start of the text (here
        // the lines grow longer later, with the digits of the facet number).
        EXPECT_NEAR(progress.Maximum, n - 1, n / 20);
        EXPECT_LE(progress.Stepped, progress.Maximum);
        EXPECT_GE(progress.Stepped, progress.Maximum - kProgressBatch - 100);
        EXPECT_LE(progress.CountingSteps, n / kProgressBatch + 2) << "stepped per facet";
    }
}

TEST(StlProgress, SmallUsualLayoutHasTheExactMaximum) {
    TRecordingProgress progress;
    TSurFaceData surface;
    ASSERT_TRUE(Load(surface, ManyFacets(3), kNeverSplit, progress).Ok());
    EXPECT_EQ(progress.Starts.size(), 1u);
    EXPECT_EQ(progress.Maximum, 2);
    EXPECT_EQ(progress.Finishes, 1);
}

TEST(StlProgress, BinaryHasTheExactMaximumAndReachesIt) {
    const std::vector<std::array<float, 12>> facets(kProgressBatch + 5, kFlat);
    TRecordingProgress progress;
    TSurFaceData surface;
    ASSERT_TRUE(Load(surface, BinaryStl("", facets), kNeverSplit, progress).Ok());
    EXPECT_EQ(progress.Starts.size(), 1u);
    EXPECT_EQ(progress.Maximum, kProgressBatch + 4);
    EXPECT_EQ(progress.Stepped, kProgressBatch + 4);
    EXPECT_LE(progress.CountingSteps, 2);
    EXPECT_EQ(progress.Finishes, 1);
}

TEST(StlProgress, FailedLoadFinishesTheProgress) {
    for (const std::string& text : {ManyFacets(5, {3}), std::string("solid x\n")}) {
        TRecordingProgress progress;
        TSurFaceData surface;
        ASSERT_FALSE(Load(surface, text, kNeverSplit, progress).Ok());
        EXPECT_EQ(progress.Starts.size(), 1u);
        EXPECT_EQ(progress.Finishes, 1);
        EXPECT_GE(progress.Maximum, 0);
    }
}

// ---------------------------------------------------------------------------------------
// Locale

// Puts the process's C locale back however the test ends.
class TLocaleRestorer {
public:
    TLocaleRestorer() : Saved(std::setlocale(LC_ALL, nullptr)) {}
    ~TLocaleRestorer() { std::setlocale(LC_ALL, Saved.c_str()); }
    TLocaleRestorer(const TLocaleRestorer&) = delete;
    TLocaleRestorer& operator=(const TLocaleRestorer&) = delete;

private:
    std::string Saved;
};

// The process's C locale, as a desktop program on a Russian or German system has it, must
// not change a single number or a reason.
TEST(StlLocale, CommaLocaleReadsTheSameNumbers) {
    const TLocaleRestorer restorer;
    bool commaLocale = false;
    for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8", "ru_RU.utf8", "de_DE.utf8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            commaLocale = *std::localeconv()->decimal_point == ',';
            break;
        }
    }
    if (!commaLocale) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }

    const std::string good =
        Solid(Facet("0 -1 0", "1.500000e+001 -2.5E-3 3", "1,25 0.1 7",
                    "+2. 1e-400 1.00000000000000011102230246251565404236316680908203126"));
    const std::string broken =
        good + "solid broken\n facet normal 0 0 1\n  outer loop\n   vertex 1 2 y\n";
    for (const std::size_t parallelFromBytes : {kNeverSplit, kAlwaysSplit}) {
        TSurFaceData surface;
        const TResult result = Load(surface, good, parallelFromBytes);
        ASSERT_TRUE(result.Ok()) << result.Reason();
        ExpectSamePolygons(surface.Polygons, {Tri({0, -1, 0}, {15, -2.5e-3, 3}, {1.25, 0.1, 7},
                                                  {2, 0, 1.0000000000000002})});
        EXPECT_EQ(surface.Xmax, 15.0);
        EXPECT_EQ(Load(surface, broken, parallelFromBytes).Reason(),
                  "case.stl, line 13: expected \"vertex\" and three numbers, found 2 numbers and "
                  "then \"y\"");
    }
}

}  // namespace
}  // namespace tessarin::model
