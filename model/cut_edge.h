// Detection of the cutting edge: the triangle edges that front polygons share with
// back polygons, ordered counter-clockwise about Z starting at the negative X axis.
#pragma once

#include "model/progress.h"
#include "model/types.h"

namespace tessarin::model {

// One segment from two points (vertices of the front polygon `front`) and the pair of
// polygons that share them. Point1 is the end with the smaller polar angle, unwrapped
// across the negative X axis; Direct = Point2 - Point1; angles and Number are 0.
TSegment MakeSegment(const TVector3& a, const TVector3& b, const TPolygon& front,
                     const TPolygon& back);

// Appends the segments of every (front, back) pair, in the order of a loop over the
// front polygons and, inside it, over the back polygons, running for each pair the six
// vertex-pairing tests. Far from quadratic: only pairs with a vertex of each within the
// tolerance are tested, except that a polygon with a vertex coordinate that is not finite
// or beyond about 2e10 in magnitude is tested against the whole other list (SamePoint lets
// NaN match anything). At most 2^32 polygons per list.
// `progress` advances by one for each front polygon after the first, in batches; the
// caller starts and finishes it.
void CollectCutEdgeSegments(const TSurface& front, const TSurface& back, TCutEdgeData& segments,
                            TProgress& progress = NullProgress());

// Orders by Polar, ascending; equal values keep their order, and a segment whose Polar
// is NaN stays where it is (as the exchange sort that defines the order leaves it).
void OrderByPolar(TCutEdgeData& segments);

}  // namespace tessarin::model
