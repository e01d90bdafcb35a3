// The cutting-edge search written literally: every front polygon against every back
// polygon, then the exchange sort by polar angle. Quadratic; kept as the reference that
// the fast search must reproduce segment for segment.
#pragma once

#include "model/types.h"

namespace tessarin::test {

// Appends the segments in detection order.
void ReferenceCollectSegments(const model::TSurface& front, const model::TSurface& back,
                              model::TCutEdgeData& segments);

// The exchange (bubble) sort by Polar, stopping after the first pass without a swap.
void ReferenceOrderByPolar(model::TCutEdgeData& segments);

}  // namespace tessarin::test
