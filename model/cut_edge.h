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
// vertex-pairing tests. Far from quadratic: only pairs that share a vertex are tested.
// `progress` is stepped once per front polygon, in batches; the caller starts it.
void CollectCutEdgeSegments(const TSurface& front, const TSurface& back, TCutEdgeData& segments,
                            TProgress& progress = NullProgress());

// Orders by Polar, ascending; equal values keep their order, and a segment whose Polar
// is NaN stays where it is (as the exchange sort that defines the order leaves it).
void OrderByPolar(TCutEdgeData& segments);

}  // namespace tessarin::model
