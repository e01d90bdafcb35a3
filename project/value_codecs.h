// Text forms of the compound values a project file stores, each with its reader:
// points, polygons, angle sets, the coordinate-system index and flag sets, the
// coordinate-system records and the geometry settings.
//
// Writers use the general number form with the given decimal separator. Readers return
// false on the first value that does not read; fields read before it keep their new
// values (the caller drops the whole record then). Numbers are read with
// ReadProjectNumber, so that every value a writer can produce reads back.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/types.h"

namespace tessarin::project {

using model::CSValues;
using model::TAngles3;
using model::TAngles4;
using model::TGeometrySettings;
using model::TPolygon;
using model::TVector3;

// The number reading, and also "NAN", "INF" and "-INF" (which the writer produces
// for values that are not numbers or infinite), blanks around them allowed.
bool ReadProjectNumber(std::string_view text, char decimalSeparator, double& value);

// "1;2,5;-3;": every coordinate followed by ";".
std::string PointToStr(const TVector3& p, char decimalSeparator);
void AppendPoint(std::string& out, const TVector3& p, char decimalSeparator);
// Three numbers each ended by ";"; text after the third ";" is ignored.
bool StrToPoint(std::string_view text, char decimalSeparator, TVector3& p);

// "Vert1:...;Vert2:...;Vert3:...;Normal:...;"
std::string PolygonToStr(const TPolygon& polygon, char decimalSeparator);
void AppendPolygon(std::string& out, const TPolygon& polygon, char decimalSeparator);
bool StrToPolygon(std::string_view text, char decimalSeparator, TPolygon& polygon);

// "G:..;A:..;L:.." and "G:..;A:..;L:..;F:.."
std::string AnglesToStr(const TAngles3& angles, char decimalSeparator);
std::string Angles4ToStr(const TAngles4& angles, char decimalSeparator);
bool StrToAngles(std::string_view text, char decimalSeparator, TAngles3& angles);
bool StrToAngles4(std::string_view text, char decimalSeparator, TAngles4& angles);

// "ISK", "SSK", "KSK", "DSK". The reader skips the 11 characters of "Current CS:".
std::string CSToStr(std::uint8_t system);
bool StrToCS(std::string_view line, std::uint8_t& system);

// "SSK+;KSK-;DSK-;FeedPlan+" and "ISK+;SSK+;KSK-;DSK-". The readers cannot fail: a flag
// is set when the character after its token's first occurrence is "+".
std::string ExistedCSToStr(const std::array<bool, 4>& flags);
std::string DefinedAnglesToStr(const std::array<bool, 4>& flags);
std::array<bool, 4> StrToExistedCS(std::string_view line);
std::array<bool, 4> StrToDefinedAngles(std::string_view line);

// One system's part of CSValues; kind 0 SSK, 1 KSK, 2 DSK, 3 FeedPlan.
// "SSK>>OP:0;0;1;;GN:0;Mu:0", "KSK>>OP:..;;Eta:..", "DSK>>SP:..;;Nu:..",
// "FeedPlan>>FP:..;;Phi:..;HCE:.."
std::string CSValuesToStr(const CSValues& values, int kind, char decimalSeparator);
bool StrToCSValues(std::string_view line, int kind, char decimalSeparator, CSValues& values);

// "Alpha:10;Gamma:80;DiscardInt:-1>>Accu:4;MarkNeg:-1"
std::string GeomSettingsToStr(const TGeometrySettings& settings, char decimalSeparator);
bool StrToGeomSettings(std::string_view line, char decimalSeparator, TGeometrySettings& settings);

}  // namespace tessarin::project
