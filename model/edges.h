// The cutting edge as edges: the ordered segments grouped into the chains they form, and
// per edge (and for the whole tool) the length, the polar range and the minimum, the
// length-weighted mean and the maximum of every computed angle.
//
// An edge is a maximal run of segments consecutive in the polar order (TModel::CutEdge)
// each of which meets the one before it end to end, within the point tolerance, without a
// kink above the kink angle at the joint. The run may wrap across polar +-180: the last
// segment continues into the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "model/angle_keys.h"
#include "model/types.h"

namespace tessarin::model {

class TModel;

// The computed angles of every segment, read once (as AngleValue gives them) so that the summaries,
// the tolerances and the outputs see the same numbers and do not compute them again.
struct TAngleTable {
    // AllAngles() whose system's DefinedAngles flag is set, in that order.
    std::vector<TAngleId> Angles;
    std::size_t SegmentCount = 0;
    // Segment after segment: the value of Angles[a] at segment s is Values[s * Angles.size() + a].
    std::vector<double> Values;

    double Value(std::size_t segment, std::size_t angle) const {
        return Values[segment * Angles.size() + angle];
    }
    // The position of `id` in Angles; -1 when its system's angles are not computed.
    int IndexOf(const TAngleId& id) const;
};

// The angles of every segment of model.CutEdge for each system whose DefinedAngles flag
// is set, measured with model.AcceptedCS. Empty without a cutting edge.
TAngleTable ComputedAngleTable(const TModel& model);

struct TEdge {
    std::int32_t Number = 0;  // 1-based
    std::int32_t First = 0;   // index into the cutting edge of its first segment
    std::int32_t Count = 0;   // its segments: First, First + 1, ..., past the end on from 0
    double Length = 0.0;      // sum of the segments' lengths, in model units
    double PolarFrom = 0.0;   // Polar of its first segment
    double PolarTo = 0.0;     // Polar of its last; below PolarFrom when it wraps across +-180
};

struct TEdges {
    std::vector<TEdge> Edges;  // by Number
    // Per segment of the cutting edge, the index into Edges of the edge holding it.
    std::vector<std::int32_t> EdgeOfSegment;
};

// The direction change (degrees, 0..180) where segment `b` continues segment `a`, when
// they meet end to end: an end of each within `pointTolerance` (geometry::SamePoint).
// The chain runs into `a` from its end `aFrom` (0 Point1, 1 Point2, -1 either: a chain's
// lone first segment) and leaves `b` by its other end. A zero-length segment makes no
// kink (0). nullopt when they do not meet.
struct TJoint {
    double Kink = 0.0;
    int BExit = 1;   // the end of b the chain leaves by (0 Point1, 1 Point2)
    int AEntry = 0;  // the end of a the chain entered by, the one not at the joint
};
std::optional<TJoint> JoinSegments(const TSegment& a, int aFrom, const TSegment& b,
                                   double pointTolerance);

// Groups `segments` (ordered by polar angle) into edges: a new edge starts where a segment
// does not meet the one before it or turns by more than `kinkAngle` degrees there (a kink
// of exactly kinkAngle stays in the edge). When the last segment continues into the
// first, their edges are one, which wraps across +-180; it is edge 1, since it holds the
// first segment; the others follow in the polar order. A cutting edge that is one closed
// chain is one edge. No segments: no edges.
TEdges GroupEdges(const TCutEdgeData& segments, double pointTolerance, double kinkAngle);

// Minimum, length-weighted mean and maximum of one angle over some segments. Segments whose
// value is not a number are left out and counted. When the counted segments have no
// length at all (zero-length ones only), the mean is the plain mean.
struct TAngleStats {
    double Min = std::numeric_limits<double>::quiet_NaN();
    double Mean = std::numeric_limits<double>::quiet_NaN();
    double Max = std::numeric_limits<double>::quiet_NaN();
    std::int32_t Numbers = 0;     // segments with a value
    std::int32_t NotNumbers = 0;  // segments whose value is not a number
};

struct TEdgeSummary {
    std::int32_t Number = 0;  // the edge's; 0 for the tool summary
    std::int32_t Segments = 0;
    double Length = 0.0;
    double PolarFrom = 0.0;
    double PolarTo = 0.0;
    std::vector<TAngleStats> Angles;  // one per TAngleTable::Angles
};

struct TEdgeReport {
    std::vector<TEdgeSummary> Edges;  // one per edge, in the order of TEdges::Edges
    // Every segment: Number 0, the polar range of the first and the last segment.
    TEdgeSummary Tool;
};

// The summaries of `edges` over `segments` with the values of `table` (built for the same
// segments). One pass over the table.
TEdgeReport SummarizeEdges(const TCutEdgeData& segments, const TEdges& edges,
                           const TAngleTable& table);

// GroupEdges of the model's cutting edge with its settings' PointTolerance and
// EdgeKinkAngle.
TEdges GroupModelEdges(const TModel& model);

}  // namespace tessarin::model
