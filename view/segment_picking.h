// Which cutting-edge segment a click or the mouse points at: the segments are taken
// through the frame's transform to the window and the nearest within a few pixels
// wins. Only the segments are projected, never the facets, so a pick costs the same on
// a model of a million facets as on a small one.
#pragma once

#include "model/model.h"
#include "view/view_transform.h"

namespace tessarin::view {

// Pixels from the drawn segment within which a click or a hover still takes it.
inline constexpr double kPickRadius = 5.0;

// The index in `list` of the segment whose drawn line passes nearest to the window
// point (x, y) (device pixels, y downward), if within `radius` pixels; of two as near,
// the one nearer to the viewer. -1 when none is that near (or the list is empty).
int PickSegment(const model::TCutEdgeData& list, const TSceneTransform& transform, double x,
                double y, double radius = kPickRadius);

}  // namespace tessarin::view
