// Range texts of the selection dialog and the search that builds a selection from them.
#include "model/selection.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "base/number_format.h"
#include "model/angle_keys.h"
#include "model/model.h"
#include "model/systems.h"

namespace tessarin::model {

TAnRanges& QueryColumn(TInquiryRanges& ranges, int column) {
    switch (column) {
        case 0:
            return ranges.ISK.G;
        case 1:
            return ranges.ISK.A;
        case 2:
            return ranges.ISK.L;
        case 3:
            return ranges.SSK.G;
        case 4:
            return ranges.SSK.A;
        case 5:
            return ranges.SSK.L;
        case 6:
            return ranges.SSK.F;
        case 7:
            return ranges.KSK.G;
        case 8:
            return ranges.KSK.A;
        case 9:
            return ranges.KSK.L;
        case 10:
            return ranges.KSK.F;
        case 11:
            return ranges.DSK.G;
        case 12:
            return ranges.DSK.A;
        case 13:
            return ranges.DSK.L;
        case 14:
            return ranges.DSK.F;
        default:
            throw std::out_of_range("query column " + std::to_string(column) + " is not 0..14");
    }
}

const TAnRanges& QueryColumn(const TInquiryRanges& ranges, int column) {
    return QueryColumn(const_cast<TInquiryRanges&>(ranges), column);
}

bool ParseRange(std::string_view text, char decimalSeparator, TAnRange& range) {
    const std::size_t dots = text.find("..");
    if (dots == std::string_view::npos) {
        return false;
    }
    // Everything after the first ".." is the upper bound, so "1..2..3" fails there.
    TAnRange parsed;
    if (!base::StrToFloat(text.substr(0, dots), decimalSeparator, parsed.Lo) ||
        !base::StrToFloat(text.substr(dots + 2), decimalSeparator, parsed.Hi)) {
        return false;
    }
    range = parsed;
    return true;
}

bool ParseRanges(std::string_view text, char decimalSeparator, TAnRanges& ranges) {
    for (;;) {
        const std::size_t semicolon = text.find(';');
        TAnRange range;
        // An empty piece has no "..", so a trailing ";" or ";;" fails here. A piece
        // that fails adds nothing: the list never holds a range that was not read.
        if (!ParseRange(text.substr(0, semicolon), decimalSeparator, range)) {
            return false;
        }
        ranges.push_back(range);
        if (semicolon == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(semicolon + 1);
    }
}

namespace {

bool InAnyRange(const TAnRanges& ranges, double angle) {
    // Both comparisons fail for NaN, so a not-a-number angle lies in no range.
    return std::any_of(ranges.begin(), ranges.end(),
                       [angle](const TAnRange& r) { return r.Lo <= angle && angle <= r.Hi; });
}

// The system and angle of every query column, looked up once per search.
std::array<TAnglePlace, kQueryColumnCount> QueryPlaces() {
    std::array<TAnglePlace, kQueryColumnCount> places;
    for (int column = 0; column < kQueryColumnCount; ++column) {
        places[static_cast<std::size_t>(column)] = PlaceOfQueryColumn(column);
    }
    return places;
}

bool Matches(const TSelectDlgInqury& query,
             const std::array<TAnglePlace, kQueryColumnCount>& places, const CSValues& accepted,
             const TSegment& segment) {
    bool match = query.AndLogic;
    for (int column = 0; column < kQueryColumnCount; ++column) {
        if (!query.Use[static_cast<std::size_t>(column)]) {
            continue;
        }
        const TAnglePlace& place = places[static_cast<std::size_t>(column)];
        const bool hit = InAnyRange(QueryColumn(query.Ranges, column),
                                    SegmentAngle(segment, place.System, place.Angle));
        match = query.AndLogic ? (match && hit) : (match || hit);
    }
    for (const TDerivedRange& derived : query.Derived) {
        const bool hit = InAnyRange(derived.Ranges,
                                    AngleValue(segment, accepted, {derived.System, derived.Kind}));
        match = query.AndLogic ? (match && hit) : (match || hit);
    }
    return match;
}

}  // namespace

bool TModel::MakeSelection(const TSelectDlgInqury& query, TProgress& progress) {
    SurfaceData.Modified = true;
    if (!query.WholeEdge) {
        // The selection's copies must be tested with the angles as they are now.
        SyncSelection();
    }
    const TCutEdgeData& searched = query.WholeEdge ? CutEdge : SelectCutEdge;
    const std::array<TAnglePlace, kQueryColumnCount> places = QueryPlaces();
    const TProgressScope scope(progress, "Формирование выборки >>",
                               static_cast<int>(searched.size()));
    // A selection made before segments were discarded can hold numbers beyond the
    // present cutting edge; such a segment is never selected again, so that every
    // number of a selection names a segment of CutEdge.
    const auto edgeSize = static_cast<std::int64_t>(CutEdge.size());
    TCutEdgeData result;
    int pending = 0;
    for (const TSegment& segment : searched) {
        if (++pending == kProgressBatch) {
            progress.Step(pending);
            pending = 0;
        }
        if (segment.Number >= 1 && segment.Number <= edgeSize &&
            Matches(query, places, AcceptedCS, segment)) {
            result.push_back(segment);
        }
    }
    if (pending > 0) {
        progress.Step(pending);
    }
    if (result.empty()) {
        // Nothing matched: the previous selection stays, and the caller is told.
        SelectCutEdgeExist = !SelectCutEdge.empty();
        return false;
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const TSegment& a, const TSegment& b) { return a.Number < b.Number; });
    SelectCutEdge = std::move(result);
    SelectCutEdgeExist = true;
    return true;
}

}  // namespace tessarin::model
