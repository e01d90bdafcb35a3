#include "base/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <system_error>

namespace tessarin::base {

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
    //
    // A double that holds a float value (the coordinates and normals of an STL file) has
    // a shortest text of more than 15 digits all but always, so it skips the shortest
    // pass, which would cost more than half again. The nearest 15-digit decimal with its
    // trailing zeros dropped is the shortest text where that has 15 digits or fewer, so
    // the digits are the same either way.
    char text[40];
    char* end = text;
    const bool holdsFloat = magnitude <= std::numeric_limits<float>::max() &&
                            static_cast<double>(static_cast<float>(magnitude)) == magnitude;
    int mantissaDigits = 16;
    if (!holdsFloat) {
        end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific).ptr;
        mantissaDigits = 0;
        for (const char* c = text; c != end && *c != 'e'; ++c) {
            mantissaDigits += (*c >= '0' && *c <= '9') ? 1 : 0;
        }
    }
    if (mantissaDigits > 15 || magnitude < std::numeric_limits<double>::min()) {
        end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14)
                  .ptr;
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
    if (c != '\0' &&
        (decimalSeparator == kEitherSeparator ? (c == ',' || c == '.') : c == decimalSeparator)) {
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

std::string IntToStr(std::int64_t value) {
    return std::to_string(value);
}

std::string FlagToStr(bool flag) {
    return flag ? "-1" : "0";
}

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
// rounding mode, which nothing in the program changes). rint rather than nearbyint:
// the same result without saving and restoring the floating-point environment, which
// made this the slowest step of filling a table column.
long double ScaledRounded(int n, double x) {
    const long double scaled =
        static_cast<long double>(x) *
        static_cast<long double>(kPowersOfTen.at(static_cast<std::size_t>(n)));
    return std::rint(scaled);
}

constexpr long double kInt64Limit = 9223372036854775808.0L;  // 2^63

}  // namespace

double RoundAcc(int n, double x) {
    const long double r = ScaledRounded(n, x);
    return static_cast<double>(r) / kPowersOfTen.at(static_cast<std::size_t>(n));
}

namespace {

// The n decimals of units / 10^n, trailing zeros of a fraction dropped and an integral
// value filled up with n zeros ("2,0000"). Exact for any 64-bit integer.
void AppendFixed(std::string& out, std::uint64_t units, int n, bool negative, char separator) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, units).ptr;
    auto length = static_cast<int>(end - digits);
    if (negative) {
        out += '-';
    }
    if (length <= n) {
        out += '0';
    } else {
        out.append(digits, static_cast<std::size_t>(length - n));
    }
    if (n == 0) {
        return;
    }
    // The fraction's digits, with the leading zeros that the integer did not write.
    char fraction[8];
    for (int i = 0; i < n; ++i) {
        const int from = length - n + i;
        fraction[i] = from >= 0 ? digits[from] : '0';
    }
    int kept = n;
    while (kept > 0 && fraction[kept - 1] == '0') {
        --kept;
    }
    out += separator;
    if (kept == 0) {
        out.append(static_cast<std::size_t>(n), '0');
    } else {
        out.append(fraction, static_cast<std::size_t>(kept));
    }
}

}  // namespace

void AppendFloatAcc(std::string& out, int n, double x, char decimalSeparator) {
    const long double r = ScaledRounded(n, x);
    if (std::isnan(r)) {
        out += "NAN";
        return;
    }
    if (!(r < kInt64Limit) || !(r >= -kInt64Limit)) {
        out += r < 0 ? "-INF" : "INF";
        return;
    }
    // Below 10^15 the general form of r / 10^n (a double) gives back exactly the decimal
    // digits of r: they are at most 15, and the double is nearer to them than half a
    // unit of the 15th digit. The text then comes straight from the integer. Values that
    // the general form would write in exponent notation (below 0.0001) are written in
    // fixed notation this way too.
    if (std::fabs(r) < 1e15L) {
        const auto units = static_cast<std::uint64_t>(std::fabs(r));
        AppendFixed(out, units, n, units != 0 && r < 0, decimalSeparator);
        return;
    }
    const double v = static_cast<double>(r) / kPowersOfTen.at(static_cast<std::size_t>(n));
    const std::size_t start = out.size();
    AppendFloat(out, v, decimalSeparator);
    const std::string_view t(out.data() + start, out.size() - start);
    if (n != 0 && t.find(decimalSeparator) == std::string_view::npos &&
        t.find('E') == std::string_view::npos) {
        out += decimalSeparator;
        out.append(static_cast<std::size_t>(n), '0');
    }
}

std::string FloatToStrAcc(int n, double x, char decimalSeparator) {
    std::string out;
    AppendFloatAcc(out, n, x, decimalSeparator);
    return out;
}

std::string YesNoStr(bool flag) {
    return flag ? "Да" : "Нет";
}

}  // namespace tessarin::base
