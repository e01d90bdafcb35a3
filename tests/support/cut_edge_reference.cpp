// The literal reference search follows in a following change.
#include "tests/support/cut_edge_reference.h"

namespace tessarin::test {
void ReferenceCollectSegments(const model::TSurface&, const model::TSurface&, model::TCutEdgeData&) {}
void ReferenceOrderByPolar(model::TCutEdgeData&) {}
}  // namespace tessarin::test
