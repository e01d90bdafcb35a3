#include "project/project_extensions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "base/language.h"
#include "base/number_format.h"

namespace tessarin::project {

using base::AppendFloat;
using base::kEitherSeparator;
using base::StrToFloat;

namespace {

using model::TImportOptions;
using model::TLengthUnit;
using model::TOriginChoice;
using model::TResult;
using model::TVector3;

constexpr std::string_view kLineEnd = "\r\n";

struct TUnitName {
    TLengthUnit Unit;
    std::string_view Name;
};
constexpr std::array<TUnitName, 4> kUnits{{{TLengthUnit::Millimetre, "mm"},
                                           {TLengthUnit::Inch, "inch"},
                                           {TLengthUnit::Metre, "m"},
                                           {TLengthUnit::Micrometre, "um"}}};

std::string_view UnitName(TLengthUnit unit) {
    for (const TUnitName& entry : kUnits) {
        if (entry.Unit == unit) {
            return entry.Name;
        }
    }
    return "mm";
}

void AppendKey(std::string& out, std::string_view key) {
    out += key;
    out += ':';
}

void AppendTriple(std::string& out, const TVector3& v, char separator) {
    AppendFloat(out, v.x, separator);
    out += ';';
    AppendFloat(out, v.y, separator);
    out += ';';
    AppendFloat(out, v.z, separator);
}

// Only what a file can say differently: an origin point counts with the Point choice.
bool OriginDiffers(const TImportOptions& options) {
    return options.Origin != TOriginChoice::Keep;
}

bool ReadFinite(std::string_view text, double& value) {
    return StrToFloat(text, kEitherSeparator, value) && std::isfinite(value);
}

// "x;y;z": three finite numbers and nothing else.
bool ReadTriple(std::string_view text, TVector3& v) {
    std::array<double*, 3> coordinates{&v.x, &v.y, &v.z};
    for (std::size_t i = 0; i < coordinates.size(); ++i) {
        const std::size_t end = i + 1 < coordinates.size() ? text.find(';') : text.size();
        if (end == std::string_view::npos || !ReadFinite(text.substr(0, end), *coordinates[i])) {
            return false;
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return true;
}

bool ReadYesNo(std::string_view text, bool& flag) {
    if (text == "yes" || text == "no") {
        flag = text == "yes";
        return true;
    }
    return false;
}

// One known key: how its value reads and what a refusal says was expected.
struct TKey {
    std::string_view Name;
    std::string_view Expected;
    std::string_view ExpectedRussian;
    bool (*Read)(std::string_view value, TProjectExtensions& values);
};

constexpr std::array<TKey, 8> kKeys{{
    {"Units", "mm, inch, m or um", "\"mm\", \"inch\", \"m\" или \"um\"",
     [](std::string_view value, TProjectExtensions& values) {
         for (const TUnitName& entry : kUnits) {
             if (entry.Name == value) {
                 values.ImportOptions.Unit = entry.Unit;
                 return true;
             }
         }
         return false;
     }},
    {"Axis", "three numbers x;y;z, not all zero", "три числа \"x;y;z\", не все нулевые",
     [](std::string_view value, TProjectExtensions& values) {
         TVector3 axis;
         if (!ReadTriple(value, axis) || (axis.x == 0.0 && axis.y == 0.0 && axis.z == 0.0)) {
             return false;
         }
         values.ImportOptions.Axis = axis;
         return true;
     }},
    {"Origin", "keep, center or three numbers x;y;z",
     "\"keep\", \"center\" или три числа \"x;y;z\"",
     [](std::string_view value, TProjectExtensions& values) {
         TImportOptions& options = values.ImportOptions;
         if (value == "keep" || value == "center") {
             options.Origin = value == "keep" ? TOriginChoice::Keep : TOriginChoice::Center;
             return true;
         }
         if (!ReadTriple(value, options.OriginPoint)) {
             return false;
         }
         options.Origin = TOriginChoice::Point;
         return true;
     }},
    {"RepairNormals", "yes or no", "\"yes\" или \"no\"",
     [](std::string_view value, TProjectExtensions& values) {
         return ReadYesNo(value, values.ImportOptions.RepairNormals);
     }},
    {"KeepDuplicates", "yes or no", "\"yes\" или \"no\"",
     [](std::string_view value, TProjectExtensions& values) {
         return ReadYesNo(value, values.ImportOptions.KeepDuplicates);
     }},
    {"MinNormalAngle", "an angle from 0 to 180", "угол от 0 до 180",
     [](std::string_view value, TProjectExtensions& values) {
         double angle = 0.0;
         if (!ReadFinite(value, angle) || angle < 0.0 || angle > 180.0) {
             return false;
         }
         values.MinNormalAngle = angle;
         return true;
     }},
    {"PointTolerance", "a positive number", "положительное число",
     [](std::string_view value, TProjectExtensions& values) {
         double tolerance = 0.0;
         if (!ReadFinite(value, tolerance) || !(tolerance > 0.0)) {
             return false;
         }
         values.PointTolerance = tolerance;
         return true;
     }},
    {"EdgeKinkAngle", "an angle from 0 to 180", "угол от 0 до 180",
     [](std::string_view value, TProjectExtensions& values) {
         double angle = 0.0;
         if (!ReadFinite(value, angle) || angle < 0.0 || angle > 180.0) {
             return false;
         }
         values.EdgeKinkAngle = angle;
         return true;
     }},
}};

// "tolerance.ssk.gn": the family of keys that carry the nominal values, one per angle.
constexpr std::string_view kTolerancePrefix = "tolerance.";
constexpr std::string_view kToleranceExpected =
    "three finite numbers NOMINAL;LOW;HIGH with LOW <= 0 <= HIGH";
constexpr std::string_view kToleranceExpectedRussian =
    "три конечных числа НОМИНАЛ;НИЖНЕЕ;ВЕРХНЕЕ, НИЖНЕЕ <= 0 <= ВЕРХНЕЕ";

// Shortest round trip, always with ".": the line reads the same in every locale.
void AppendShortest(std::string& out, double v) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    out.append(text, end);
}

// The value of a tolerance line; an angle this version does not know is skipped (true).
bool ReadToleranceLine(std::string_view key, std::string_view value, TProjectExtensions& values) {
    TVector3 numbers;
    if (!ReadTriple(value, numbers)) {
        return false;
    }
    const std::optional<model::TAngleId> angle =
        model::AngleOfKey(key.substr(kTolerancePrefix.size()));
    const model::TTolerance tolerance{angle.value_or(model::TAngleId{}), numbers.x, numbers.y,
                                      numbers.z};
    if (!(tolerance.Lower <= 0.0 && tolerance.Upper >= 0.0)) {
        return false;
    }
    if (angle) {
        model::SetTolerance(values.Tolerances, tolerance);
    }
    return true;
}

}  // namespace

void AppendExtensions(std::string& out, const TProjectExtensions& values, char decimalSeparator) {
    const TProjectExtensions defaults;
    const TImportOptions& options = values.ImportOptions;
    const TImportOptions& plain = defaults.ImportOptions;
    std::string lines;
    const auto end = [&] { lines += kLineEnd; };
    if (options.Unit != plain.Unit) {
        AppendKey(lines, "Units");
        lines += UnitName(options.Unit);
        end();
    }
    if (options.Axis != plain.Axis) {
        AppendKey(lines, "Axis");
        AppendTriple(lines, options.Axis, decimalSeparator);
        end();
    }
    if (OriginDiffers(options)) {
        AppendKey(lines, "Origin");
        if (options.Origin == TOriginChoice::Point) {
            AppendTriple(lines, options.OriginPoint, decimalSeparator);
        } else {
            lines += "center";
        }
        end();
    }
    if (options.RepairNormals != plain.RepairNormals) {
        AppendKey(lines, "RepairNormals");
        lines += options.RepairNormals ? "yes" : "no";
        end();
    }
    if (options.KeepDuplicates != plain.KeepDuplicates) {
        AppendKey(lines, "KeepDuplicates");
        lines += options.KeepDuplicates ? "yes" : "no";
        end();
    }
    // Compared as numbers: -0 is the default 0; a NaN differs and is written, as every
    // number is, and refused on reading.
    if (values.MinNormalAngle != defaults.MinNormalAngle) {
        AppendKey(lines, "MinNormalAngle");
        AppendFloat(lines, values.MinNormalAngle, decimalSeparator);
        end();
    }
    if (values.PointTolerance != defaults.PointTolerance) {
        AppendKey(lines, "PointTolerance");
        AppendFloat(lines, values.PointTolerance, decimalSeparator);
        end();
    }
    if (values.EdgeKinkAngle != defaults.EdgeKinkAngle) {
        AppendKey(lines, "EdgeKinkAngle");
        AppendFloat(lines, values.EdgeKinkAngle, decimalSeparator);
        end();
    }
    for (const model::TTolerance& tolerance : values.Tolerances) {
        lines += kTolerancePrefix;
        AppendKey(lines, model::AngleKey(tolerance.Angle));
        AppendShortest(lines, tolerance.Nominal);
        lines += ';';
        AppendShortest(lines, tolerance.Lower);
        lines += ';';
        AppendShortest(lines, tolerance.Upper);
        end();
    }
    if (lines.empty()) {
        return;
    }
    out += kExtensionsHeader;
    out += kLineEnd;
    out += lines;
}

TResult ReadExtensions(std::span<const std::string_view> lines, std::size_t firstLineNumber,
                       TProjectExtensions& values) {
    std::size_t count = lines.size();
    while (count > 0 && lines[count - 1].empty()) {
        --count;
    }
    // Keys already read and their line numbers; a section has a handful of lines.
    std::vector<std::pair<std::string_view, std::size_t>> seen;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view line = lines[i];
        const std::size_t number = firstLineNumber + i;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return TResult::Failure(base::Say(
                "line %1: expected an extension \"key:value\", found no colon in \"%2\"",
                "строка %1: ожидалось расширение \"ключ:значение\", но в \"%2\" нет двоеточия",
                number, line));
        }
        const std::string_view key = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 1);
        if (key.empty()) {
            return TResult::Failure(
                base::Say("line %1: expected an extension key before the colon",
                          "строка %1: ожидался ключ расширения перед двоеточием", number));
        }
        for (const auto& [earlier, at] : seen) {
            if (earlier == key) {
                return TResult::Failure(base::Say(
                    "line %1: expected each extension key once, found %2 again (first in line %3)",
                    "строка %1: ключ расширения \"%2\" встречается повторно (впервые в строке %3)",
                    number, key, at));
            }
        }
        seen.emplace_back(key, number);
        if (key.starts_with(kTolerancePrefix)) {
            if (!ReadToleranceLine(key, value, values)) {
                return TResult::Failure(
                    base::Say("line %1: expected %2 %3, found \"%4\"",
                              "строка %1: ожидалось \"%2\": %3, найдено \"%4\"", number, key,
                              base::Pick(kToleranceExpected, kToleranceExpectedRussian), value));
            }
            continue;
        }
        const auto known =
            std::find_if(kKeys.begin(), kKeys.end(), [&](const TKey& k) { return k.Name == key; });
        if (known == kKeys.end()) {
            continue;  // written by a later version; what this one knows still reads
        }
        if (!known->Read(value, values)) {
            return TResult::Failure(
                base::Say("line %1: expected %2 %3, found \"%4\"",
                          "строка %1: ожидалось \"%2\": %3, найдено \"%4\"", number, key,
                          base::Pick(known->Expected, known->ExpectedRussian), value));
        }
    }
    return TResult::Success();
}

}  // namespace tessarin::project
