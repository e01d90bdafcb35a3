// Selection of cutting-edge segments by ranges of angle values.
//
// Range text: one range "Lo..Hi" or several separated by ";", for example
// "-3,4..9,067 " or "0..-5,8; -7..-9,6; 3,2..10". Numbers follow the number reading
// with the given decimal separator; blanks around them are allowed. Both bounds are
// inclusive and taken as typed, so "0..-5,8" contains nothing.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace tessarin::model {

struct TAnRange {
    double Lo = 0.0;
    double Hi = 0.0;
};

using TAnRanges = std::vector<TAnRange>;

struct TInCSRange {
    TAnRanges G;
    TAnRanges A;
    TAnRanges L;
};

struct TCSRange {
    TAnRanges G;
    TAnRanges A;
    TAnRanges L;
    TAnRanges F;
};

// The 15 query columns in order: ISK G, A, L; SSK G, A, L, F; KSK ...; DSK ...
struct TInquiryRanges {
    TInCSRange ISK;
    TCSRange SSK;
    TCSRange KSK;
    TCSRange DSK;
};

inline constexpr int kQueryColumnCount = 15;

// A range list on an angle beyond the query columns: a derived kind of model/angle_keys.h
// (System kISK..kDSK, Kind kKindGn..kKindPsi), read with AngleValue. Such ranges are not
// part of the selection dialog or the project file; the batch tool gives them.
struct TDerivedRange {
    int System = 0;
    int Kind = 0;
    TAnRanges Ranges;
};

struct TSelectDlgInqury {
    TInquiryRanges Ranges;
    bool AndLogic = true;                       // AND of the used columns; false: OR
    bool WholeEdge = true;                      // search CutEdge; false: search SelectCutEdge
    std::array<bool, kQueryColumnCount> Use{};  // the column's text was not empty
    bool Valid = false;                         // every non-empty text parsed
    // Combined with the used columns by the same logic, after them.
    std::vector<TDerivedRange> Derived;
};

// The range list of query column `column` (0..14).
TAnRanges& QueryColumn(TInquiryRanges& ranges, int column);
const TAnRanges& QueryColumn(const TInquiryRanges& ranges, int column);

// "Lo..Hi": the text before the first ".." and all of the text after it.
bool ParseRange(std::string_view text, char decimalSeparator, TAnRange& range);

// Appends every range of a ";"-separated list to `ranges`. An empty piece (a text
// ending in ";", ";;", blanks only) fails; the ranges parsed before a failure stay.
bool ParseRanges(std::string_view text, char decimalSeparator, TAnRanges& ranges);

}  // namespace tessarin::model
