// The cutting-edge search written literally: every front polygon against every back
// polygon, then the exchange sort by polar angle. Quadratic; kept as the reference that
// the fast search must reproduce segment for segment.
#pragma once

#include "model/types.h"

namespace tessarin::test {

// Appends the segments in detection order: points the same within `tolerance`, pairs
// whose normals make an angle below `minNormalAngle` (degrees) left out.
void ReferenceCollectSegments(const model::TSurface& front, const model::TSurface& back,
                              model::TCutEdgeData& segments,
                              double tolerance = model::kDefaultPointTolerance,
                              double minNormalAngle = 0.0);

// The exchange (bubble) sort by Polar, stopping after the first pass without a swap.
void ReferenceOrderByPolar(model::TCutEdgeData& segments);

}  // namespace tessarin::test
