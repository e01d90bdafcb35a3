#include "base/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tessarin::base {
namespace {

struct TFormCase {
    double Value;
    const char* Comma;  // with "," as separator; the "." form is derived
};

class GeneralFormTest : public testing::TestWithParam<TFormCase> {};

TEST_P(GeneralFormTest, WritesFifteenSignificantDigits) {
    const TFormCase& c = GetParam();
    EXPECT_EQ(FloatToStr(c.Value, ','), c.Comma);
    std::string dotted = c.Comma;
    for (char& ch : dotted) {
        ch = ch == ',' ? '.' : ch;
    }
    EXPECT_EQ(FloatToStr(c.Value, '.'), dotted);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, GeneralFormTest,
    testing::Values(
        TFormCase{1234.5, "1234,5"}, TFormCase{100, "100"}, TFormCase{-2.25, "-2,25"},
        TFormCase{1.0 / 3.0, "0,333333333333333"}, TFormCase{0.0001, "0,0001"},
        TFormCase{0.000015, "1,5E-5"}, TFormCase{1e15, "1E15"},
        TFormCase{std::sin(10 * 3.14159265358979323846 / 180), "0,17364817766693"},
        TFormCase{0.0, "0"}, TFormCase{-0.0, "0"}, TFormCase{14.0362434679265, "14,0362434679265"},
        TFormCase{999999999999999.0, "999999999999999"},
        // Rounds to 16 digits' worth of nines: the exponent moves up.
        TFormCase{9999999999999999.0, "1E16"}, TFormCase{0.00099999999999999999, "0,001"},
        TFormCase{123456789012345678.0, "1,23456789012346E17"}, TFormCase{-1.5e-300, "-1,5E-300"},
        TFormCase{5e-324, "4,94065645841247E-324"}, TFormCase{0.1 + 0.2, "0,3"},
        TFormCase{std::numeric_limits<double>::quiet_NaN(), "NAN"},
        TFormCase{std::numeric_limits<double>::infinity(), "INF"},
        TFormCase{-std::numeric_limits<double>::infinity(), "-INF"}));

struct TReadCase {
    const char* Text;
    char Separator;
    bool Ok;
    double Value;
};

class NumberReadingTest : public testing::TestWithParam<TReadCase> {};

// Doubles that hold float values take a shorter way to their digits; the text must still
// be the nearest 15-digit decimal with its trailing zeros dropped. Two decimals of at most
// 15 digits never read as the same double, so equal values read back mean equal digits,
// and the layout around the digits is shared by both ways. Random float bit patterns over
// every exponent, typical coordinates, and the edges of the float range and of the forms.
TEST(GeneralFormTest, FloatValuesGetTheNearestFifteenDigits) {
    std::vector<float> values = {std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::epsilon(),
                                 std::nextafter(1e-4f, 0.0f),
                                 1e-4f,
                                 std::nextafter(1e15f, 0.0f),
                                 1e15f,
                                 0.1f,
                                 0.5f,
                                 1.0f,
                                 100.0f,
                                 16777216.0f,
                                 123456.789f};
    std::mt19937_64 random(20261211);
    while (values.size() < 1000000) {
        const auto bits = static_cast<std::uint32_t>(random());
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value) && value != 0) {
            values.push_back(value);
        }
    }
    std::uniform_real_distribution<float> coordinate(-500.0f, 500.0f);
    for (int i = 0; i < 200000; ++i) {
        values.push_back(coordinate(random));
    }
    std::size_t wrong = 0;
    for (const float value : values) {
        const std::string text = FloatToStr(value, '.');
        char nearest[40];
        std::snprintf(nearest, sizeof nearest, "%.14e", static_cast<double>(value));
        const bool trailingZero =
            text.find('.') != std::string::npos && text.find('E') == std::string::npos
                ? text.back() == '0'
                : text.find("0E") != std::string::npos;
        if (std::strtod(text.c_str(), nullptr) != std::strtod(nearest, nullptr) || trailingZero) {
            if (++wrong <= 5) {
                ADD_FAILURE() << std::hexfloat << value << ": " << text << " against " << nearest;
            }
        }
    }
    EXPECT_EQ(wrong, 0u);
}

TEST_P(NumberReadingTest, AcceptsOnlyTheWholeSyntax) {
    const TReadCase& c = GetParam();
    double value = -777.0;
    ASSERT_EQ(StrToFloat(c.Text, c.Separator, value), c.Ok) << '"' << c.Text << '"';
    if (c.Ok) {
        EXPECT_EQ(value, c.Value) << '"' << c.Text << '"';
    } else {
        EXPECT_EQ(value, -777.0) << "a failed reading must not write";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberReadingTest,
    testing::Values(TReadCase{"1,5", ',', true, 1.5}, TReadCase{"1.5", '.', true, 1.5},
                    TReadCase{"1.5", ',', false, 0}, TReadCase{"1,5", '.', false, 0},
                    TReadCase{"  -2,25  ", ',', true, -2.25}, TReadCase{"+7", ',', true, 7},
                    TReadCase{"1,5E-5", ',', true, 1.5e-5}, TReadCase{"1e15", ',', true, 1e15},
                    TReadCase{"-1,500000e+001", ',', true, -15}, TReadCase{",5", ',', true, 0.5},
                    TReadCase{"5,", ',', true, 5}, TReadCase{",", ',', false, 0},
                    TReadCase{"", ',', false, 0}, TReadCase{"   ", ',', false, 0},
                    TReadCase{"NAN", ',', false, 0}, TReadCase{"INF", ',', false, 0},
                    TReadCase{"nan", '.', false, 0}, TReadCase{"1E", ',', false, 0},
                    TReadCase{"1E+", ',', false, 0}, TReadCase{"--1", ',', false, 0},
                    TReadCase{"1 2", ',', false, 0}, TReadCase{"\t1", ',', false, 0},
                    TReadCase{"1 000", ',', false, 0}, TReadCase{"0x10", ',', false, 0},
                    TReadCase{"1,2,3", ',', false, 0},
                    TReadCase{"0,333333333333333", ',', true, 0.333333333333333},
                    // Beyond a double but inside an 80-bit float: an infinity, not a failure.
                    TReadCase{"1E400", ',', true, std::numeric_limits<double>::infinity()},
                    TReadCase{"-1E400", ',', true, -std::numeric_limits<double>::infinity()},
                    TReadCase{"1E-400", ',', true, 0.0}, TReadCase{"1E5000", ',', false, 0},
                    TReadCase{"2,5", kEitherSeparator, true, 2.5},
                    TReadCase{"2.5", kEitherSeparator, true, 2.5}));

TEST(NumberReadingTest, RoundTripsEveryWrittenValue) {
    const double values[] = {1.0 / 3.0, -2.0 / 7.0, 1e-5, 123456.789, 6.02214076e23, 1e-300};
    for (double v : values) {
        double back = 0;
        ASSERT_TRUE(StrToFloat(FloatToStr(v, ','), ',', back));
        // 15 significant digits survive the trip.
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
        EXPECT_EQ(FloatToStr(back, ','), FloatToStr(v, ','));
    }
}

struct TAccCase {
    int Decimals;
    double Value;
    const char* Text;
};

class FloatToStrAccTest : public testing::TestWithParam<TAccCase> {};

TEST_P(FloatToStrAccTest, RoundsTiesToEvenAndFillsIntegralValues) {
    const TAccCase& c = GetParam();
    EXPECT_EQ(FloatToStrAcc(c.Decimals, c.Value, ','), c.Text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FloatToStrAccTest,
    testing::Values(TAccCase{4, 2, "2,0000"}, TAccCase{4, 2.5, "2,5"},
                    TAccCase{4, 2.00004, "2,0000"}, TAccCase{2, 14.0362434679265, "14,04"},
                    TAccCase{0, 3, "3"}, TAccCase{1, 80, "80,0"}, TAccCase{4, -0.00004, "0,0000"},
                    TAccCase{0, 3.5, "4"}, TAccCase{0, 4.5, "4"}, TAccCase{0, 2.5, "2"},
                    TAccCase{4, -10.25, "-10,25"}, TAccCase{5, 0.00001, "0,00001"},
                    TAccCase{6, -0.000012, "-0,000012"},
                    // The product x * 10^n is taken in 80 bits: a double product would
                    // round 0.015 * 100 to the tie 1.5 (then 2) and 0.025 * 100 to 2.5
                    // (then 2), where the stored values lie just below and above them.
                    TAccCase{2, 0.015, "0,01"}, TAccCase{2, 0.025, "0,03"},
                    TAccCase{1, 0.35, "0,3"}, TAccCase{3, 1.0005, "1,000"}));

TEST(FloatToStrAccTest, SpecialValues) {
    EXPECT_EQ(FloatToStrAcc(4, std::numeric_limits<double>::quiet_NaN(), ','), "NAN");
    EXPECT_EQ(FloatToStrAcc(4, std::numeric_limits<double>::infinity(), ','), "INF");
    EXPECT_EQ(FloatToStrAcc(4, -std::numeric_limits<double>::infinity(), ','), "-INF");
    // x * 10^n beyond the 64-bit integer range has no integer to round to.
    EXPECT_EQ(FloatToStrAcc(4, 1e300, ','), "INF");
    EXPECT_EQ(FloatToStrAcc(6, -1e14, ','), "-INF");
    EXPECT_EQ(FloatToStrAcc(0, 123456789, '.'), "123456789");
}

TEST(FloatToStrAccTest, EqualsTheGeneralFormOfTheRoundedValue) {
    // The display form is built from the rounded integer directly; it must say exactly
    // what the general form of RoundAcc's value says, filled up when integral.
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-5, 12);
    for (int i = 0; i < 200000; ++i) {
        const double x = mantissa(random) * std::pow(10.0, exponent(random));
        const int n = i % 7;
        const double v = RoundAcc(n, x);
        if (v != 0.0 && std::fabs(v) < 0.0001) {
            continue;  // written in fixed notation, unlike the general form
        }
        std::string expected = FloatToStr(v, ',');
        if (n != 0 && expected.find(',') == std::string::npos) {
            expected += ',' + std::string(static_cast<std::size_t>(n), '0');
        }
        ASSERT_EQ(FloatToStrAcc(n, x, ','), expected) << "x = " << x << ", n = " << n;
    }
}

TEST(RoundAccTest, TiesToEven) {
    EXPECT_EQ(RoundAcc(2, 14.0362434679265), 14.04);
    EXPECT_EQ(RoundAcc(0, 2.5), 2.0);
    EXPECT_EQ(RoundAcc(0, 3.5), 4.0);
    EXPECT_EQ(RoundAcc(4, 1.23456789), 1.2346);
    EXPECT_TRUE(std::isnan(RoundAcc(3, std::numeric_limits<double>::quiet_NaN())));
}

TEST(IntegerAndFlagTextTest, ReadingRules) {
    std::int32_t n = 0;
    EXPECT_TRUE(StrToInt(" 12", n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(StrToInt("-2147483648", n));
    EXPECT_EQ(n, -2147483648);
    for (const char* bad : {"12 ", "1,5", "", "-", "2147483648", "12a", "99999999999999999999"}) {
        EXPECT_FALSE(StrToInt(bad, n)) << bad;
    }
    bool flag = false;
    for (const char* yes : {"-1", "1", "true", "TRUE", "True", "2,5"}) {
        flag = false;
        EXPECT_TRUE(StrToFlag(yes, ',', flag)) << yes;
        EXPECT_TRUE(flag) << yes;
    }
    for (const char* no : {"0", "FALSE", "false", " 0 "}) {
        flag = true;
        EXPECT_TRUE(StrToFlag(no, ',', flag)) << no;
        EXPECT_FALSE(flag) << no;
    }
    EXPECT_FALSE(StrToFlag("yes", ',', flag));
    EXPECT_EQ(FlagToStr(true), "-1");
    EXPECT_EQ(FlagToStr(false), "0");
    EXPECT_EQ(YesNoStr(true), "Да");
    EXPECT_EQ(YesNoStr(false), "Нет");
}

}  // namespace
}  // namespace tessarin::base
