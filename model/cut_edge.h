// Detection of the cutting edge: the triangle edges that front polygons share with
// back polygons, ordered counter-clockwise about Z starting at the negative X axis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/base_names.h"
#include "model/types.h"

namespace tessarin::model {

// The first sentence of the reason FindCutEdge gives when no segment is found; the counts
// of the sorted lists and a hint follow it.
inline constexpr std::string_view kNoIntersections =
    "Нет пересечений передней и задней поверхностей";

// One segment from two points (vertices of the front polygon `front`) and the pair of
// polygons that share them. Point1 is the end with the smaller polar angle, unwrapped
// across the negative X axis, unless Direct would then point against front.Normal x
// back.Normal (the edge's own direction, which a radial edge needs): then the other end.
// Where that product is zero or NaN the polar choice stands. Direct = Point2 - Point1;
// angles and Number are 0. Polar is the midpoint's either way.
TSegment MakeSegment(const TVector3& a, const TVector3& b, const TPolygon& front,
                     const TPolygon& back);

// How much work and memory a search needs. Its candidate pairs are the front and back
// vertices that lie close enough to be compared (within two grid cells of twenty times
// the point tolerance, 0.02 at the default, of each other), plus nine for every pair of polygons
// tested vertex against vertex because one of them lies off the grid; the search's work and the
// pairs it stores grow with them, and the segments it finds are at most 4/3 of them.
inline constexpr std::uint64_t kUnlimited = UINT64_MAX;

struct TCutEdgeLimits {
    std::uint64_t CandidatePairs = kUnlimited;
    std::uint64_t Segments = kUnlimited;
};

// The limits FindCutEdge sets for `polygons` front and back polygons: fixed multiples
// of them, far above what a tool modelled in millimetres needs.
TCutEdgeLimits CutEdgeLimits(std::size_t polygons);

// How the search compares points and which shared edges it keeps.
struct TCutEdgeSearch {
    // Points are the same when every coordinate differs by less than this; positive.
    double PointTolerance = kDefaultPointTolerance;
    // A pair whose stored normals make a smaller angle (degrees) lies on a smooth surface
    // and gives no segment; 0 keeps every pair.
    double MinNormalAngle = 0.0;
};

struct TCutEdgeSearchSize {
    std::uint64_t CandidatePairs = 0;  // counted in full
    std::uint64_t Segments = 0;        // found; when refused for them, one beyond the limit
    bool Refused = false;              // a limit was exceeded: nothing was appended
};

// Appends the segments of every (front, back) pair, in the order of a loop over the
// front polygons and, inside it, over the back polygons, running for each pair the six
// vertex-pairing tests. Far from quadratic: only pairs with a vertex of each within the
// tolerance are tested, except that a polygon with a vertex coordinate that is not finite
// or beyond about 2e13 times the tolerance in magnitude (2e10 at the default) is tested
// against the whole other list (SamePoint lets NaN match anything). Pairs whose normals
// are closer than search.MinNormalAngle give nothing. With the default `search` the
// result is that of the point tolerance 0.001 and every pair. At most 2^32 polygons per
// list.
// The candidate pairs are counted before anything is stored per pair, in time and memory
// linear in the polygons, and the search stops there when they exceed the limit; it also
// stops as soon as it has found more segments than their limit, before it builds any.
// Refused, it appends nothing. `progress` advances by one for each front polygon after
// the first, in batches (fewer when refused); the caller starts and finishes it.
TCutEdgeSearchSize CollectCutEdgeSegments(const TSurface& front, const TSurface& back,
                                          TCutEdgeData& segments,
                                          TProgress& progress = NullProgress(),
                                          const TCutEdgeLimits& limits = {},
                                          const TCutEdgeSearch& search = {});

// Orders by Polar, ascending; equal values keep their order, and a segment whose Polar
// is NaN stays where it is (as the exchange sort that defines the order leaves it).
void OrderByPolar(TCutEdgeData& segments);

}  // namespace tessarin::model
