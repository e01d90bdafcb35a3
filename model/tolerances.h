// Nominal values with tolerances for any angle, and the verdict they give per segment, per
// edge and for the tool.
//
// A tolerance is a nominal value with a lower and an upper deviation, LOW <= 0 <= HIGH
// ("6, -0.5, +0.5"): a segment's value is within it when its deviation from the nominal,
// value - nominal, lies in [LOW, HIGH]; a value on a bound is within. A value that is
// not a number is outside and counted as such.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "model/angle_keys.h"
#include "model/edges.h"

namespace tessarin::model {

struct TTolerance {
    TAngleId Angle;
    double Nominal = 0.0;
    double Lower = 0.0;  // <= 0
    double Upper = 0.0;  // >= 0

    friend bool operator==(const TTolerance&, const TTolerance&) = default;
};

// At most one tolerance per angle, in the order of AllAngles().
using TToleranceSet = std::vector<TTolerance>;

// Finite numbers, Lower <= 0 <= Upper, and an angle AllAngles() holds.
bool ValidTolerance(const TTolerance& tolerance);

// Adds `tolerance`, or replaces the one of the same angle, keeping the set's order. The
// caller has checked it with ValidTolerance.
void SetTolerance(TToleranceSet& set, const TTolerance& tolerance);

enum class TVerdict : std::uint8_t { Inside, Outside, NotANumber };

// The verdict on one value; NotANumber is outside.
TVerdict Judge(double value, const TTolerance& tolerance);

// The deviation that goes farthest beyond its bound, by max(dev - Upper, Lower - dev):
// positive outside, the margin left (<= 0) when every value is within.
struct TWorstDeviation {
    std::int32_t Segment = 0;  // its Number; 0 when no segment has a value
    double Deviation = std::numeric_limits<double>::quiet_NaN();  // value - nominal, signed
    double Excess = std::numeric_limits<double>::quiet_NaN();     // beyond the bound
};

struct TToleranceCount {
    std::int32_t Segments = 0;
    std::int32_t Inside = 0;
    std::int32_t NotNumbers = 0;  // outside because the value is not a number
    TWorstDeviation Worst;        // not kept for the count of every tolerance together

    std::int32_t Outside() const { return Segments - Inside; }
    // Inside / Segments; NaN without segments.
    double Share() const;
};

struct TToleranceReport {
    // The tolerances of the set whose system's angles are computed (judged), and the others.
    TToleranceSet Judged;
    TToleranceSet NotComputed;
    // Verdicts[s * Judged.size() + t]: segment s (index into the cutting edge), tolerance t.
    std::vector<TVerdict> Verdicts;
    // Per segment: within every judged tolerance.
    std::vector<bool> SegmentInside;
    std::vector<TToleranceCount> Tool;                // per judged tolerance
    std::vector<std::vector<TToleranceCount>> Edges;  // per edge, per judged tolerance
    TToleranceCount ToolAll;                          // segments within every judged one
    std::vector<TToleranceCount> EdgesAll;            // the same per edge

    TVerdict Verdict(std::size_t segment, std::size_t tolerance) const {
        return Verdicts[segment * Judged.size() + tolerance];
    }
    // Some tolerance was judged and some segment is outside one.
    bool AnyOutside() const { return ToolAll.Inside < ToolAll.Segments && !Judged.empty(); }
};

// Judges every segment against every tolerance of `set` whose system's angles `table`
// holds. `edges` groups the same segments (GroupEdges), `table` was built for them.
TToleranceReport CheckTolerances(const TCutEdgeData& segments, const TEdges& edges,
                                 const TAngleTable& table, const TToleranceSet& set);

}  // namespace tessarin::model
