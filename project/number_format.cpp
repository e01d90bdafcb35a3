#include "project/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <system_error>

namespace tessarin::project {

namespace {

constexpr std::array<double, 7> kPowersOfTen{1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6};

// Decimal digits of |v| rounded to at most 15 significant digits, without trailing
// zeros, and the exponent e such that |v| = 0.d1d2d3... * 10^e.
struct TDecimal {
    char Digits[24];
    int Count = 0;
    int Exponent = 0;
};

TDecimal ToDecimal(double magnitude) {
    // The shortest text that reads back as the same double is, when it has at most 15
    // digits, also the nearest 15-digit decimal: the 15-digit grid is coarser than the
    // double grid, and the shortest text lies within half a unit of the exact value.
    // Subnormal values have fewer bits than that and always take the exact way.
    char text[40];
    auto [end, ec] = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific);
    int mantissaDigits = 0;
    for (const char* c = text; c != end && *c != 'e'; ++c) {
        mantissaDigits += (*c >= '0' && *c <= '9') ? 1 : 0;
    }
    if (mantissaDigits > 15 || magnitude < std::numeric_limits<double>::min()) {
        end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14).ptr;
    }
    TDecimal d;
    const char* c = text;
    for (; c != end && *c != 'e'; ++c) {
        if (*c != '.') {
            d.Digits[d.Count++] = *c;
        }
    }
    int exponent = 0;
    if (c != end) {
        ++c;  // 'e'
        const bool negative = *c == '-';
        if (*c == '-' || *c == '+') {
            ++c;
        }
        std::from_chars(c, end, exponent);
        if (negative) {
            exponent = -exponent;
        }
    }
    while (d.Count > 1 && d.Digits[d.Count - 1] == '0') {
        --d.Count;
    }
    d.Exponent = exponent + 1;
    return d;
}

void AppendExponent(std::string& out, int exponent) {
    char text[12];
    const auto end = std::to_chars(text, text + sizeof text, exponent).ptr;
    out.append(text, end);
}

}  // namespace

char DefaultDecimalSeparator() {
    try {
        const std::locale user("");
        const char separator = std::use_facet<std::numpunct<char>>(user).decimal_point();
        // A multi-byte separator (some UTF-8 locales) cannot be represented here.
        return (separator == ',' || separator == '.') ? separator : '.';
    } catch (const std::exception&) {
        return '.';
    }
}

void AppendFloat(std::string& out, double v, char decimalSeparator) {
    if (std::isnan(v)) {
        out += "NAN";
        return;
    }
    if (std::isinf(v)) {
        out += v < 0 ? "-INF" : "INF";
        return;
    }
    if (v == 0.0) {
        out += '0';
        return;
    }
    if (v < 0) {
        out += '-';
    }
    const TDecimal d = ToDecimal(std::fabs(v));
    const int e = d.Exponent;
    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            out += '0';
            out += decimalSeparator;
            out.append(static_cast<std::size_t>(-e), '0');
            out.append(d.Digits, static_cast<std::size_t>(d.Count));
        } else if (d.Count <= e) {
            out.append(d.Digits, static_cast<std::size_t>(d.Count));
            out.append(static_cast<std::size_t>(e - d.Count), '0');
        } else {
            out.append(d.Digits, static_cast<std::size_t>(e));
            out += decimalSeparator;
            out.append(d.Digits + e, static_cast<std::size_t>(d.Count - e));
        }
        return;
    }
    out += d.Digits[0];
    if (d.Count > 1) {
        out += decimalSeparator;
        out.append(d.Digits + 1, static_cast<std::size_t>(d.Count - 1));
    }
    out += 'E';
    AppendExponent(out, e - 1);
}

std::string FloatToStr(double v, char decimalSeparator) {
    std::string out;
    AppendFloat(out, v, decimalSeparator);
    return out;
}

namespace {

// Reads the text std::from_chars accepts ("-12.5e-3": '.' as separator, no '+').
bool ReadCanonical(const char* first, const char* last, double& value) {
    double parsed = 0.0;
    const auto [p, ec] = std::from_chars(first, last, parsed);
    if (ec == std::errc() && p == last) {
        value = parsed;
        return true;
    }
    // Beyond the range of a double: still a number while an 80-bit float holds it; it
    // then becomes an infinity or zero, as storing such a value in a double does.
    long double wide = 0.0L;
    const auto [q, wideEc] = std::from_chars(first, last, wide);
    if (wideEc != std::errc() || q != last) {
        return false;
    }
    value = static_cast<double>(wide);
    return true;
}

}  // namespace

bool StrToFloat(std::string_view text, char decimalSeparator, double& value) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && text[i] == ' ') {
        ++i;
    }
    while (end > i && text[end - 1] == ' ') {
        --end;
    }
    const std::size_t first = i;
    std::size_t separatorAt = std::string_view::npos;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    int digits = 0;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
        ++digits;
    }
    const char c = i < end ? text[i] : '\0';
    if (c != '\0' && (decimalSeparator == kEitherSeparator ? (c == ',' || c == '.')
                                                          : c == decimalSeparator)) {
        separatorAt = i++;
        for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        int exponentDigits = 0;
        for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    if (i != end) {
        return false;
    }
    // The text is valid; hand it to std::from_chars with '.' and without a leading '+'.
    std::size_t from = first;
    if (text[from] == '+') {
        ++from;
    }
    const std::size_t length = end - from;
    char small[64];
    std::string large;
    char* buffer = small;
    if (length > sizeof small) {
        large.resize(length);
        buffer = large.data();
    }
    std::memcpy(buffer, text.data() + from, length);
    if (separatorAt != std::string_view::npos) {
        buffer[separatorAt - from] = '.';
    }
    return ReadCanonical(buffer, buffer + length, value);
}

bool StrToInt(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        return false;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL) {
            return false;
        }
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > 2147483647LL) {
        return false;
    }
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

std::string FlagToStr(bool flag) { return flag ? "-1" : "0"; }

bool StrToFlag(std::string_view text, char decimalSeparator, bool& flag) {
    double number = 0.0;
    if (StrToFloat(text, decimalSeparator, number)) {
        flag = number != 0.0;
        return true;
    }
    auto equalsIgnoringCase = [&](std::string_view word) {
        if (text.size() != word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            const char c = text[i];
            const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            if (lower != word[i]) {
                return false;
            }
        }
        return true;
    };
    if (equalsIgnoringCase("true")) {
        flag = true;
        return true;
    }
    if (equalsIgnoringCase("false")) {
        flag = false;
        return true;
    }
    return false;
}

namespace {

// x * 10^n in 80-bit precision, rounded to an integer with ties to even (the default
// rounding mode, which nothing in the program changes).
long double ScaledRounded(int n, double x) {
    const long double scaled = static_cast<long double>(x) * static_cast<long double>(kPowersOfTen.at(n));
    return std::nearbyint(scaled);
}

constexpr long double kInt64Limit = 9223372036854775808.0L;  // 2^63

}  // namespace

double RoundAcc(int n, double x) {
    const long double r = ScaledRounded(n, x);
    return static_cast<double>(r) / kPowersOfTen.at(n);
}

std::string FloatToStrAcc(int n, double x, char decimalSeparator) {
    const long double r = ScaledRounded(n, x);
    if (std::isnan(r)) {
        return "NAN";
    }
    if (!(r < kInt64Limit) || !(r >= -kInt64Limit)) {
        return r < 0 ? "-INF" : "INF";
    }
    const double v = static_cast<double>(r) / kPowersOfTen.at(n);
    if (v != 0.0 && std::fabs(v) < 0.0001) {
        // The general form would switch to exponent notation here; write the n decimals
        // of the rounded integer instead, trailing zeros dropped.
        const auto units = static_cast<std::int64_t>(std::fabs(static_cast<double>(r)));
        std::string digits = std::to_string(units);
        digits.insert(0, static_cast<std::size_t>(n + 1) - std::min<std::size_t>(digits.size(), n + 1), '0');
        std::string out = v < 0 ? "-" : "";
        out.append(digits, 0, digits.size() - static_cast<std::size_t>(n));
        out += decimalSeparator;
        std::string fraction = digits.substr(digits.size() - static_cast<std::size_t>(n));
        while (!fraction.empty() && fraction.back() == '0') {
            fraction.pop_back();
        }
        out += fraction;
        return out;
    }
    std::string t = FloatToStr(v, decimalSeparator);
    if (t.find(decimalSeparator) == std::string::npos && t.find('E') == std::string::npos) {
        if (n != 0) {
            t += decimalSeparator;
            t.append(static_cast<std::size_t>(n), '0');
        }
    }
    return t;
}

std::string YesNoStr(bool flag) { return flag ? "Да" : "Нет"; }

}  // namespace tessarin::project
