#include "project/value_codecs.h"

#include <limits>

#include "base/number_format.h"

namespace tessarin::project {

using base::AppendFloat;
using base::FlagToStr;
using base::IntToStr;
using base::StrToFlag;
using base::StrToFloat;
using base::StrToInt;

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The text between the end of `from` (found at `fromAt`) and `toAt`, or false when the
// second label does not stand after the first.
bool Between(std::string_view text, std::size_t fromAt, std::string_view from, std::size_t toAt,
             std::string_view& out) {
    if (fromAt == kNone || toAt == kNone || toAt < fromAt + from.size()) {
        return false;
    }
    out = text.substr(fromAt + from.size(), toAt - fromAt - from.size());
    return true;
}

bool RestAfter(std::string_view text, std::string_view label, std::string_view& out) {
    const std::size_t at = text.find(label);
    if (at == kNone) {
        return false;
    }
    out = text.substr(at + label.size());
    return true;
}

// The text with the first occurrence of `label` removed, wherever it stands; the
// text unchanged when the label does not occur. Only a label in the middle of the
// text needs a copy.
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

bool TrimmedEquals(std::string_view text, std::string_view word) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text == word;
}

void AppendSign(std::string& out, bool flag) {
    out += flag ? '+' : '-';
}

std::string FlagSetToStr(const std::array<bool, 4>& flags,
                         const std::array<std::string_view, 4>& tokens) {
    std::string out;
    for (std::size_t i = 0; i < 4; ++i) {
        if (i != 0) {
            out += ';';
        }
        out += tokens[i];
        AppendSign(out, flags[i]);
    }
    return out;
}

std::array<bool, 4> StrToFlagSet(std::string_view line,
                                 const std::array<std::string_view, 4>& tokens) {
    std::array<bool, 4> flags{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = line.find(tokens[i]);
        const std::size_t sign = at == kNone ? kNone : at + tokens[i].size();
        flags[i] = sign != kNone && sign < line.size() && line[sign] == '+';
    }
    return flags;
}

constexpr std::array<std::string_view, 4> kExistedTokens{"SSK", "KSK", "DSK", "FeedPlan"};
constexpr std::array<std::string_view, 4> kDefinedTokens{"ISK", "SSK", "KSK", "DSK"};
constexpr std::array<std::string_view, 4> kSystemNames{"ISK", "SSK", "KSK", "DSK"};

template <class TAngles>
std::string AnglesText(const TAngles& angles, char decimalSeparator) {
    std::string out = "G:";
    AppendFloat(out, angles.G, decimalSeparator);
    out += ";A:";
    AppendFloat(out, angles.A, decimalSeparator);
    out += ";L:";
    AppendFloat(out, angles.L, decimalSeparator);
    if constexpr (requires { angles.F; }) {
        out += ";F:";
        AppendFloat(out, angles.F, decimalSeparator);
    }
    return out;
}

// The steps shared by three and four angles: "G:" removed wherever it stands, then
// each value runs up to the next label, the last one to the end of the text.
bool SplitAngles(std::string_view text, bool withF, std::string& scratch,
                 std::array<std::string_view, 4>& values) {
    std::string_view rest = DeleteFirst(text, "G:", scratch);
    const std::array<std::string_view, 3> labels{";A:", ";L:", ";F:"};
    const std::size_t count = withF ? 3 : 2;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = rest.find(labels[i]);
        if (at == kNone) {
            return false;
        }
        values[i] = rest.substr(0, at);
        rest.remove_prefix(at + labels[i].size());
    }
    values[count] = rest;
    return true;
}

}  // namespace

bool ReadProjectNumber(std::string_view text, char decimalSeparator, double& value) {
    if (StrToFloat(text, decimalSeparator, value)) {
        return true;
    }
    if (TrimmedEquals(text, "NAN")) {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (TrimmedEquals(text, "INF")) {
        value = std::numeric_limits<double>::infinity();
        return true;
    }
    if (TrimmedEquals(text, "-INF")) {
        value = -std::numeric_limits<double>::infinity();
        return true;
    }
    return false;
}

void AppendPoint(std::string& out, const TVector3& p, char decimalSeparator) {
    AppendFloat(out, p.x, decimalSeparator);
    out += ';';
    AppendFloat(out, p.y, decimalSeparator);
    out += ';';
    AppendFloat(out, p.z, decimalSeparator);
    out += ';';
}

std::string PointToStr(const TVector3& p, char decimalSeparator) {
    std::string out;
    AppendPoint(out, p, decimalSeparator);
    return out;
}

bool StrToPoint(std::string_view text, char decimalSeparator, TVector3& p) {
    for (double* coordinate : {&p.x, &p.y, &p.z}) {
        // Without a ";" the number text is empty, which does not read.
        const std::size_t end = text.find(';');
        if (end == kNone ||
            !ReadProjectNumber(text.substr(0, end), decimalSeparator, *coordinate)) {
            return false;
        }
        text.remove_prefix(end + 1);
    }
    return true;
}

void AppendPolygon(std::string& out, const TPolygon& polygon, char decimalSeparator) {
    out += "Vert1:";
    AppendPoint(out, polygon.Vert1, decimalSeparator);
    out += "Vert2:";
    AppendPoint(out, polygon.Vert2, decimalSeparator);
    out += "Vert3:";
    AppendPoint(out, polygon.Vert3, decimalSeparator);
    out += "Normal:";
    AppendPoint(out, polygon.Normal, decimalSeparator);
}

std::string PolygonToStr(const TPolygon& polygon, char decimalSeparator) {
    std::string out;
    AppendPolygon(out, polygon, decimalSeparator);
    return out;
}

bool StrToPolygon(std::string_view text, char decimalSeparator, TPolygon& polygon) {
    const std::array<std::string_view, 4> labels{"Vert1:", "Vert2:", "Vert3:", "Normal:"};
    const std::array<TVector3*, 4> points{&polygon.Vert1, &polygon.Vert2, &polygon.Vert3,
                                          &polygon.Normal};
    std::array<std::size_t, 4> starts{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = text.find(labels[i]);
        if (at == kNone || (i > 0 && at < starts[i - 1])) {
            return false;
        }
        starts[i] = at + labels[i].size();
    }
    for (std::size_t i = 0; i < 4; ++i) {
        // A vertex's text runs on into the next label, which the point reader ignores.
        if (!StrToPoint(text.substr(starts[i]), decimalSeparator, *points[i])) {
            return false;
        }
    }
    return true;
}

std::string AnglesToStr(const TAngles3& angles, char decimalSeparator) {
    return AnglesText(angles, decimalSeparator);
}

std::string Angles4ToStr(const TAngles4& angles, char decimalSeparator) {
    return AnglesText(angles, decimalSeparator);
}

bool StrToAngles(std::string_view text, char decimalSeparator, TAngles3& angles) {
    std::string scratch;
    std::array<std::string_view, 4> values;
    if (!SplitAngles(text, false, scratch, values)) {
        return false;
    }
    return ReadProjectNumber(values[0], decimalSeparator, angles.G) &&
           ReadProjectNumber(values[1], decimalSeparator, angles.A) &&
           ReadProjectNumber(values[2], decimalSeparator, angles.L);
}

bool StrToAngles4(std::string_view text, char decimalSeparator, TAngles4& angles) {
    std::string scratch;
    std::array<std::string_view, 4> values;
    if (!SplitAngles(text, true, scratch, values)) {
        return false;
    }
    return ReadProjectNumber(values[0], decimalSeparator, angles.G) &&
           ReadProjectNumber(values[1], decimalSeparator, angles.A) &&
           ReadProjectNumber(values[2], decimalSeparator, angles.L) &&
           ReadProjectNumber(values[3], decimalSeparator, angles.F);
}

std::string CSToStr(std::uint8_t system) {
    return system < kSystemNames.size() ? std::string(kSystemNames[system]) : std::string();
}

bool StrToCS(std::string_view line, std::uint8_t& system) {
    // The 11 characters of "Current CS:" are skipped, not compared.
    constexpr std::size_t kLabelLength = 11;
    const std::string_view name = line.size() > kLabelLength ? line.substr(kLabelLength) : "";
    for (std::size_t i = 0; i < kSystemNames.size(); ++i) {
        if (name == kSystemNames[i]) {
            system = static_cast<std::uint8_t>(i);
            return true;
        }
    }
    return false;
}

std::string ExistedCSToStr(const std::array<bool, 4>& flags) {
    return FlagSetToStr(flags, kExistedTokens);
}

std::string DefinedAnglesToStr(const std::array<bool, 4>& flags) {
    return FlagSetToStr(flags, kDefinedTokens);
}

std::array<bool, 4> StrToExistedCS(std::string_view line) {
    return StrToFlagSet(line, kExistedTokens);
}

std::array<bool, 4> StrToDefinedAngles(std::string_view line) {
    return StrToFlagSet(line, kDefinedTokens);
}

std::string CSValuesToStr(const CSValues& values, int kind, char decimalSeparator) {
    std::string out;
    switch (kind) {
        case 0:
            out = "SSK>>OP:";
            AppendPoint(out, values.SSK.OP, decimalSeparator);
            out += ";GN:";
            AppendFloat(out, values.SSK.GN, decimalSeparator);
            out += ";Mu:";
            AppendFloat(out, values.SSK.Mu, decimalSeparator);
            break;
        case 1:
            out = "KSK>>OP:";
            AppendPoint(out, values.KSK.OP, decimalSeparator);
            out += ";Eta:";
            AppendFloat(out, values.KSK.Eta, decimalSeparator);
            break;
        case 2:
            out = "DSK>>SP:";
            AppendPoint(out, values.DSK.SP, decimalSeparator);
            out += ";Nu:";
            AppendFloat(out, values.DSK.Nu, decimalSeparator);
            break;
        case 3:
            out = "FeedPlan>>FP:";
            AppendPoint(out, values.FeedPlan.FP, decimalSeparator);
            out += ";Phi:";
            AppendFloat(out, values.FeedPlan.Phi, decimalSeparator);
            out += ";HCE:";
            out += IntToStr(values.FeedPlan.HCE);
            break;
        default:
            break;
    }
    return out;
}

bool StrToCSValues(std::string_view line, int kind, char decimalSeparator, CSValues& values) {
    struct TLayout {
        std::string_view First;
        std::string_view Second;
        std::string_view Third;  // empty where the kind has two values only
        TVector3* Vector;
    };
    TLayout layout;
    switch (kind) {
        case 0:
            layout = {"OP:", ";GN:", ";Mu:", &values.SSK.OP};
            break;
        case 1:
            layout = {"OP:", ";Eta:", "", &values.KSK.OP};
            break;
        case 2:
            layout = {"SP:", ";Nu:", "", &values.DSK.SP};
            break;
        case 3:
            layout = {"FP:", ";Phi:", ";HCE:", &values.FeedPlan.FP};
            break;
        default:
            return false;
    }
    const std::size_t firstAt = line.find(layout.First);
    const std::size_t secondAt = line.find(layout.Second);
    std::string_view text;
    if (!Between(line, firstAt, layout.First, secondAt, text) ||
        !StrToPoint(text, decimalSeparator, *layout.Vector)) {
        return false;
    }
    if (layout.Third.empty()) {
        if (!RestAfter(line, layout.Second, text)) {
            return false;
        }
        double& scalar = kind == 1 ? values.KSK.Eta : values.DSK.Nu;
        return ReadProjectNumber(text, decimalSeparator, scalar);
    }
    const std::size_t thirdAt = line.find(layout.Third);
    std::string_view last;
    if (!Between(line, secondAt, layout.Second, thirdAt, text) ||
        !RestAfter(line, layout.Third, last)) {
        return false;
    }
    if (kind == 0) {
        return ReadProjectNumber(text, decimalSeparator, values.SSK.GN) &&
               ReadProjectNumber(last, decimalSeparator, values.SSK.Mu);
    }
    return ReadProjectNumber(text, decimalSeparator, values.FeedPlan.Phi) &&
           StrToInt(last, values.FeedPlan.HCE);
}

std::string GeomSettingsToStr(const TGeometrySettings& settings, char decimalSeparator) {
    std::string out = "Alpha:";
    AppendFloat(out, settings.Alpha, decimalSeparator);
    out += ";Gamma:";
    AppendFloat(out, settings.Gamma, decimalSeparator);
    out += ";DiscardInt:";
    out += FlagToStr(settings.DiscardInt);
    out += ">>Accu:";
    out += IntToStr(settings.TableAccuracy);
    out += ";MarkNeg:";
    out += FlagToStr(settings.MarkNegative);
    return out;
}

bool StrToGeomSettings(std::string_view line, char decimalSeparator, TGeometrySettings& settings) {
    constexpr std::array<std::string_view, 5> kLabels{
        "Alpha:", ";Gamma:", ";DiscardInt:", ">>Accu:", ";MarkNeg:"};
    std::array<std::size_t, 5> at{};
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        at[i] = line.find(kLabels[i]);
    }
    std::array<std::string_view, 5> texts;
    for (std::size_t i = 0; i + 1 < kLabels.size(); ++i) {
        if (!Between(line, at[i], kLabels[i], at[i + 1], texts[i])) {
            return false;
        }
    }
    if (!RestAfter(line, kLabels[4], texts[4])) {
        return false;
    }
    return ReadProjectNumber(texts[0], decimalSeparator, settings.Alpha) &&
           ReadProjectNumber(texts[1], decimalSeparator, settings.Gamma) &&
           StrToFlag(texts[2], decimalSeparator, settings.DiscardInt) &&
           StrToInt(texts[3], settings.TableAccuracy) &&
           StrToFlag(texts[4], decimalSeparator, settings.MarkNegative);
}

}  // namespace tessarin::project
