// Text forms of single numbers: the general number form written to project files and
// edit fields, the number reading, the fixed-decimals display form of the table,
// integer and flag texts.
//
// The decimal separator is always a parameter; nothing here reads the process's C
// locale. No thousands separator is ever written or accepted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessarin::base {

// The decimal separator of the user's regional settings (LC_NUMERIC); "." when the
// locale cannot be determined or names a separator that is not a single character.
char DefaultDecimalSeparator();

// Accepts "," as well as "." as the decimal separator when passed to the readers.
inline constexpr char kEitherSeparator = '\0';

// General number form: at most 15 significant digits, trailing zeros dropped, fixed
// notation for 0.0001 <= |v| < 1e15 and exponent notation otherwise ("1,5E-5",
// "1E15"). Zero, also negative zero, is "0"; NaN is "NAN", infinities "INF", "-INF".
std::string FloatToStr(double v, char decimalSeparator);

// Appends FloatToStr(v) to `out`; the hot path of the project writer.
void AppendFloat(std::string& out, double v, char decimalSeparator);

// Number reading: optional blanks (spaces only), an optional sign, digits with an
// optional decimal separator and fraction (at least one digit in all), an optional
// exponent "E"/"e" with optional sign and digits, optional blanks, end. Anything else,
// an empty text, "NAN" and "INF" included, fails. The value is rounded correctly to a
// double; a value beyond the range of an 80-bit float fails, one beyond the range of a
// double reads as an infinity.
bool StrToFloat(std::string_view text, char decimalSeparator, double& value);

// Integer reading: leading blanks, optional sign, decimal digits, nothing after them;
// the value must fit 32 bits.
bool StrToInt(std::string_view text, std::int32_t& value);
std::string IntToStr(std::int64_t value);

// Flag texts: "-1" for true, "0" for false. Reading accepts any number (true when not
// zero) and the words "True" and "False" in any letter case.
std::string FlagToStr(bool flag);
bool StrToFlag(std::string_view text, char decimalSeparator, bool& flag);

// x rounded to n decimals (n = 0..6), formed as x * 10^n in 80-bit precision and
// rounded to the nearest integer, ties to even, then divided by 10^n.
double RoundAcc(int n, double x);

// The display form with n decimals: RoundAcc(n, x) in the general form, an integral
// value filled up with the separator and n zeros ("2,0000"), a fractional one left as
// it is ("2,5"). Small values that the general form would write in exponent notation
// are written in fixed notation ("0,00001" for n = 5). NaN is "NAN"; infinities, and
// values whose x * 10^n lies outside the 64-bit integer range, are "INF" or "-INF".
std::string FloatToStrAcc(int n, double x, char decimalSeparator);
void AppendFloatAcc(std::string& out, int n, double x, char decimalSeparator);

// "Да" or "Нет".
std::string YesNoStr(bool flag);

}  // namespace tessarin::base
