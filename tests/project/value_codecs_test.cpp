#include "project/value_codecs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/number_format.h"

namespace tessarin::project {
namespace {

using base::FloatToStr;
using base::kEitherSeparator;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The text written with "," turned into the one written with `separator`.
std::string WithSeparator(std::string text, char separator) {
    for (char& c : text) {
        c = c == ',' ? separator : c;
    }
    return text;
}

// Equal as stored: NaN equals NaN, and -0 equals 0 (the form writes both as "0").
bool SameValue(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

bool SameCoordinates(const TVector3& a, const TVector3& b) {
    return SameValue(a.x, b.x) && SameValue(a.y, b.y) && SameValue(a.z, b.z);
}

// Written values the project file must carry through unchanged: thirds need all 15
// digits, 1e-7 switches to exponent notation, the special values come back as they left.
const TVector3 kOddPoint{1.0 / 3.0, -1e-7, 12345678.901234};
const TVector3 kSpecialPoint{kNaN, kInf, -kInf};

class SeparatorTest : public testing::TestWithParam<char> {};

INSTANTIATE_TEST_SUITE_P(BothSeparators, SeparatorTest, testing::Values(',', '.'),
                         [](const testing::TestParamInfo<char>& info) {
                             return info.param == ',' ? "Comma" : "Dot";
                         });

TEST_P(SeparatorTest, PointsAndPolygonsRoundTrip) {
    const char sep = GetParam();
    EXPECT_EQ(PointToStr({1, 2.5, -3}, sep), WithSeparator("1;2,5;-3;", sep));
    EXPECT_EQ(PointToStr({0, -0.0, 0}, sep), "0;0;0;");
    EXPECT_EQ(PointToStr(kSpecialPoint, sep), "NAN;INF;-INF;");

    for (const TVector3& p : {kOddPoint, kSpecialPoint, TVector3{-0.0, 1e300, 5e-324}}) {
        const std::string text = PointToStr(p, sep);
        TVector3 back{7, 7, 7};
        ASSERT_TRUE(StrToPoint(text, sep, back)) << text;
        EXPECT_EQ(PointToStr(back, sep), text);
        // A reader that takes either separator reads what both systems write.
        TVector3 either;
        ASSERT_TRUE(StrToPoint(text, kEitherSeparator, either));
        EXPECT_TRUE(SameCoordinates(either, back)) << text;
    }
    // Values pass through text with 15 significant digits.
    TVector3 third;
    ASSERT_TRUE(StrToPoint(PointToStr(kOddPoint, sep), sep, third));
    EXPECT_EQ(third.x, 0.333333333333333);
    EXPECT_EQ(third.y, -1e-7);

    const TPolygon polygon{{10, 0, 0}, {10, 5, 0}, {5, 2.5, 0}, {0, 0, 1}};
    const std::string text = PolygonToStr(polygon, sep);
    EXPECT_EQ(text, WithSeparator("Vert1:10;0;0;Vert2:10;5;0;Vert3:5;2,5;0;Normal:0;0;1;", sep));
    std::string appended = "x";
    AppendPolygon(appended, polygon, sep);
    EXPECT_EQ(appended, "x" + text);
    TPolygon back;
    ASSERT_TRUE(StrToPolygon(text, sep, back));
    EXPECT_EQ(back, polygon);

    const TPolygon odd{kOddPoint, kSpecialPoint, {-1e-300, 1e15, 999999999999999}, {0, 0, -1}};
    const std::string oddText = PolygonToStr(odd, sep);
    ASSERT_TRUE(StrToPolygon(oddText, sep, back)) << oddText;
    EXPECT_EQ(PolygonToStr(back, sep), oddText);
}

TEST_P(SeparatorTest, AnglesRoundTripInTheirTextOrder) {
    const char sep = GetParam();
    // Stored A, G, L, F; written G, A, L, F.
    const TAngles4 four{6, 7.5, -2.25, 92};
    EXPECT_EQ(Angles4ToStr(four, sep), WithSeparator("G:7,5;A:6;L:-2,25;F:92", sep));
    EXPECT_EQ(AnglesToStr({6, 7.5, -2.25}, sep), WithSeparator("G:7,5;A:6;L:-2,25", sep));

    const TAngles4 odd{1.0 / 3.0, kNaN, -kInf, 1e-7};
    const std::string text = Angles4ToStr(odd, sep);
    TAngles4 back4;
    ASSERT_TRUE(StrToAngles4(text, sep, back4)) << text;
    EXPECT_EQ(Angles4ToStr(back4, sep), text);
    EXPECT_TRUE(std::isnan(back4.G));
    EXPECT_EQ(back4.L, -kInf);
    const TAngles3 three{kInf, -0.0, 89.999999999999};
    TAngles3 back3;
    ASSERT_TRUE(StrToAngles(AnglesToStr(three, sep), sep, back3));
    EXPECT_EQ(back3, three);
}

TEST_P(SeparatorTest, CoordinateSystemRecordsRoundTripKindByKind) {
    const char sep = GetParam();
    CSValues written;
    written.SSK = {{0.1, -0.2, 1.0 / 3.0}, 12.5, -45};
    written.KSK = {{1e-7, 0, 1.0000000000001}, -0.0};
    written.DSK = {{kNaN, 1e20, -3}, 45};
    written.FeedPlan = {{1, 0, 0}, 92.25, 2147483647};

    for (int kind = 0; kind < 4; ++kind) {
        // A record whose every field differs, so a kind writing fields of another kind
        // shows.
        CSValues read;
        read.SSK = {{9, 9, 9}, 9, 9};
        read.KSK = {{9, 9, 9}, 9};
        read.DSK = {{9, 9, 9}, 9};
        read.FeedPlan = {{9, 9, 9}, 9, 9};
        const CSValues untouched = read;
        const std::string line = "CSValues:" + CSValuesToStr(written, kind, sep);
        ASSERT_TRUE(StrToCSValues(line, kind, sep, read)) << line;
        EXPECT_EQ("CSValues:" + CSValuesToStr(read, kind, sep), line);
        // Each kind writes only its own fields.
        EXPECT_TRUE(kind == 0 || read.SSK == untouched.SSK) << line;
        EXPECT_TRUE(kind == 1 || read.KSK == untouched.KSK) << line;
        EXPECT_TRUE(kind == 2 || read.DSK == untouched.DSK) << line;
        EXPECT_TRUE(kind == 3 || read.FeedPlan == untouched.FeedPlan) << line;
    }
    const CSValues fresh;
    EXPECT_EQ(CSValuesToStr(fresh, 0, sep), "SSK>>OP:0;0;1;;GN:0;Mu:0");
    EXPECT_EQ(CSValuesToStr(fresh, 1, sep), "KSK>>OP:0;0;0;;Eta:0");
    EXPECT_EQ(CSValuesToStr(fresh, 2, sep), "DSK>>SP:0;0;0;;Nu:45");
    EXPECT_EQ(CSValuesToStr(fresh, 3, sep), "FeedPlan>>FP:1;0;0;;Phi:0;HCE:0");
}

TEST_P(SeparatorTest, GeometrySettingsRoundTrip) {
    const char sep = GetParam();
    EXPECT_EQ(GeomSettingsToStr(model::kDefaultGeometrySettings, sep),
              "Alpha:10;Gamma:80;DiscardInt:-1>>Accu:4;MarkNeg:-1");
    const TGeometrySettings odd{7.25, 1.0 / 3.0, false, 6, true};
    TGeometrySettings back;
    const std::string line = "Geometry Settings:" + GeomSettingsToStr(odd, sep);
    EXPECT_EQ(line, WithSeparator(
                        "Geometry Settings:Alpha:7,25;Gamma:0,333333333333333;DiscardInt:0>>Accu:6;"
                        "MarkNeg:-1",
                        sep));
    ASSERT_TRUE(StrToGeomSettings(line, sep, back));
    EXPECT_EQ(back.Alpha, 7.25);
    EXPECT_EQ(FloatToStr(back.Gamma, sep), FloatToStr(odd.Gamma, sep));
    EXPECT_FALSE(back.DiscardInt);
    EXPECT_EQ(back.TableAccuracy, 6);
    EXPECT_TRUE(back.MarkNegative);
}

TEST(ProjectNumberTest, ReadsWhatTheWriterWritesAndNothingElse) {
    struct TCase {
        const char* Text;
        char Separator;
        bool Ok;
        double Value;
    };
    const TCase cases[] = {
        {"NAN", ',', true, kNaN},
        {" INF ", ',', true, kInf},
        {"-INF", '.', true, -kInf},
        {"0,5", kEitherSeparator, true, 0.5},
        {"0.5", kEitherSeparator, true, 0.5},
        {"1,5E-5", ',', true, 1.5e-5},
        // Written with "," and read with ".": only whole numbers survive.
        {"0,5", '.', false, 0},
        {"12", '.', true, 12},
        // Only the writer's own spellings of the special values.
        {"nan", ',', false, 0},
        {"Inf", ',', false, 0},
        {"+INF", ',', false, 0},
        {"INFINITY", ',', false, 0},
        {"", ',', false, 0},
        {"1;", ',', false, 0},
    };
    for (const TCase& c : cases) {
        double value = -1;
        EXPECT_EQ(ReadProjectNumber(c.Text, c.Separator, value), c.Ok) << '"' << c.Text << '"';
        if (c.Ok) {
            EXPECT_TRUE(SameValue(value, c.Value)) << c.Text;
        }
    }
}

TEST(PointReadTest, EveryNumberNeedsItsSemicolon) {
    struct TCase {
        const char* Text;
        bool Ok;
    };
    const TCase cases[] = {
        {"1;2;3;", true},
        {"1;2;3", false},    // the last number has no ";"
        {" 1;2;3;;", true},  // leading blank, extra text ignored
        {"1;2;3;Vert2:", true},
        {"1;;3;", false},     // an empty number
        {"1;2 ;3;", true},    // trailing blanks belong to the number reading
        {"1;2,5;3;", true},   // separator ","
        {"1;2.5;3;", false},  // "." where the separator is ","
        {"", false},
    };
    for (const TCase& c : cases) {
        TVector3 p;
        EXPECT_EQ(StrToPoint(c.Text, ',', p), c.Ok) << '"' << c.Text << '"';
    }
}

TEST(PolygonReadTest, LabelsMustAllStandInOrder) {
    struct TCase {
        const char* Text;
        bool Ok;
    };
    const TCase cases[] = {
        {"Vert1:0;0;0;Vert2:1;0;0;Vert3:0;1;0;Normal:0;0;1;", true},
        // Text before the first label and after the last point is not read.
        {" Front:Vert1:0;0;0;Vert2:1;0;0;Vert3:0;1;0;Normal:0;0;1;tail", true},
        {"Vert2:1;0;0;Vert1:0;0;0;Vert3:0;1;0;Normal:0;0;1;", false},
        {"Vert1:0;0;0;Vert2:1;0;0;Vert3:0;1;0;", false},
        {"Vert1:0;0;0Vert2:1;0;0;Vert3:0;1;0;Normal:0;0;1;", false},
        {"Vert1:0;0;0;Vert2:1;0;0;Vert3:0;1;0;Normal:0;0;x;", false},
        {"", false},
    };
    for (const TCase& c : cases) {
        TPolygon polygon;
        EXPECT_EQ(StrToPolygon(c.Text, ',', polygon), c.Ok) << '"' << c.Text << '"';
    }
}

TEST(AnglesReadTest, ValuesGoToTheFieldTheirLetterNames) {
    TAngles4 four;
    ASSERT_TRUE(StrToAngles4("G:1;A:2;L:3;F:4", ',', four));
    EXPECT_EQ(four, (TAngles4{2, 1, 3, 4}));  // stored A, G, L, F

    struct TCase {
        const char* Text;
        bool Four;
        bool Ok;
    };
    const TCase cases[] = {
        {"G:1;A:2", false, false},  // no ";L:"
        {"G:1;A:2;L:3", false, true},
        {"G:1;A:2;L:3;F:4", false, false},  // lambda would be "3;F:4"
        {"G:1;A:2;L:3", true, false},       // no ";F:"
        {"G:1;L:3;A:2;F:4", true, false},   // labels out of order
        {"G:1;A:2;L:3;F:", true, false},    // empty phi
        {"G:1,5;A:2;L:3;F:4", true, true},
        {"G:NAN;A:INF;L:-INF;F:0", true, true},
        // "G:" is removed where it stands; without it the text still reads.
        {"1;A:2;L:3", false, true},
    };
    for (const TCase& c : cases) {
        TAngles4 a4;
        TAngles3 a3;
        const bool ok = c.Four ? StrToAngles4(c.Text, ',', a4) : StrToAngles(c.Text, ',', a3);
        EXPECT_EQ(ok, c.Ok) << c.Text;
    }
}

TEST(SystemIndexTest, NamesAndTheSkippedLabel) {
    for (std::uint8_t system = 0; system < 4; ++system) {
        std::uint8_t back = 9;
        ASSERT_TRUE(StrToCS("Current CS:" + CSToStr(system), back));
        EXPECT_EQ(back, system);
    }
    struct TCase {
        const char* Line;
        bool Ok;
        std::uint8_t System;
    };
    const TCase cases[] = {
        {"Current CS:SSK", true, 1},   {"Current CS:SSK ", false, 0},  // trailing blank
        {"Current CS:ssk", false, 0},                                  // letter case
        {"Current CS: SSK", false, 0}, {"Current CS:", false, 0},     {"", false, 0},
        {"xxxxxxxxxxxDSK", true, 3},  // the label is skipped by count, not compared
    };
    for (const TCase& c : cases) {
        std::uint8_t system = 9;
        EXPECT_EQ(StrToCS(c.Line, system), c.Ok) << '"' << c.Line << '"';
        if (c.Ok) {
            EXPECT_EQ(system, c.System) << c.Line;
        }
    }
}

TEST(FlagSetTest, EveryCombinationRoundTrips) {
    EXPECT_EQ(ExistedCSToStr({true, false, false, true}), "SSK+;KSK-;DSK-;FeedPlan+");
    EXPECT_EQ(DefinedAnglesToStr({true, true, false, false}), "ISK+;SSK+;KSK-;DSK-");
    for (int bits = 0; bits < 16; ++bits) {
        const std::array<bool, 4> flags{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                                        (bits & 8) != 0};
        EXPECT_EQ(StrToExistedCS("Existed CS:" + ExistedCSToStr(flags)), flags) << bits;
        EXPECT_EQ(StrToDefinedAngles("Defined Angles:" + DefinedAnglesToStr(flags)), flags) << bits;
    }
}

TEST(FlagSetTest, FirstOccurrenceAndTheCharacterAfterIt) {
    using TFlags = std::array<bool, 4>;
    EXPECT_EQ(StrToExistedCS("Existed CS:SSK+;KSK-;DSK+;FeedPlan-"),
              (TFlags{true, false, true, false}));
    // A missing token, a token at the very end, any sign other than "+".
    EXPECT_EQ(StrToExistedCS("Existed CS:KSK+;FeedPlan"), (TFlags{false, true, false, false}));
    EXPECT_EQ(StrToDefinedAngles("ISK1;SSK +;KSK+;DSK+"), (TFlags{false, false, true, true}));
    // Only the first occurrence counts.
    EXPECT_EQ(StrToDefinedAngles("ISK-;ISK+;SSK-;KSK-;DSK-"), (TFlags{false, false, false, false}));
    EXPECT_EQ(StrToExistedCS(""), (TFlags{}));
}

TEST(CoordinateSystemReadTest, LabelsFoundByFirstOccurrence) {
    struct TCase {
        const char* Line;
        int Kind;
        bool Ok;
    };
    const TCase cases[] = {
        {"CSValues:SSK>>OP:0;0;1;;GN:0;Mu:0", 0, true},
        {"CSValues:SSK>>OP:0;0;1;;Mu:0", 0, false},       // no ";GN:"
        {"CSValues:SSK>>OP:0;0;1;;GN:0", 0, false},       // no ";Mu:"
        {"CSValues:SSK>>OP:0;0;;GN:0;Mu:0", 0, false},    // a point of two numbers
        {"CSValues:KSK>>OP:0;0;1;;GN:0;Mu:0", 1, false},  // another kind's line
        {"CSValues:KSK>>OP:0;0;0;;Eta:1,5", 1, true},
        {"CSValues:DSK>>SP:0;0;0;;Nu:", 2, false},  // empty Nu
        {"CSValues:FeedPlan>>FP:1;0;0;;Phi:0;HCE:2", 3, true},
        {"CSValues:FeedPlan>>FP:1;0;0;;Phi:0;HCE:2,5", 3, false},  // HCE is an integer
        {"CSValues:FeedPlan>>FP:1;0;0;;HCE:2;Phi:0", 3, false},    // out of order
        {"CSValues:FeedPlan>>FP:1;0;0;;Phi:0;HCE:2", 4, false},    // no such kind
    };
    for (const TCase& c : cases) {
        CSValues values;
        EXPECT_EQ(StrToCSValues(c.Line, c.Kind, ',', values), c.Ok) << c.Line;
    }
}

TEST(GeometrySettingsReadTest, FlagsAsWordsAndFailures) {
    TGeometrySettings settings;
    ASSERT_TRUE(
        StrToGeomSettings("Alpha:10;Gamma:80;DiscardInt:True>>Accu:4;MarkNeg:0", ',', settings));
    EXPECT_EQ(settings.Alpha, 10);
    EXPECT_EQ(settings.Gamma, 80);
    EXPECT_TRUE(settings.DiscardInt);
    EXPECT_EQ(settings.TableAccuracy, 4);
    EXPECT_FALSE(settings.MarkNegative);

    const char* failures[] = {
        "Alpha:10;Gamma:80;DiscardInt:yes>>Accu:4;MarkNeg:0",
        "Alpha:10;Gamma:80;DiscardInt:-1>>Accu:4,5;MarkNeg:0",
        "Alpha:10;Gamma:80;DiscardInt:-1>>Accu:4;MarkNeg:",
        "Alpha:10;Gamma:80;DiscardInt:-1;Accu:4;MarkNeg:0",  // ">>" lost
        "Alpha:1.5;Gamma:80;DiscardInt:-1>>Accu:4;MarkNeg:0",
        "Gamma:80;Alpha:10;DiscardInt:-1>>Accu:4;MarkNeg:0",
    };
    for (const char* line : failures) {
        TGeometrySettings s;
        EXPECT_FALSE(StrToGeomSettings(line, ',', s)) << line;
    }
}

}  // namespace
}  // namespace tessarin::project
