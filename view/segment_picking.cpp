#include "view/segment_picking.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace tessarin::view {

int PickSegment(const model::TCutEdgeData& list, const TSceneTransform& transform, double x,
                double y, double radius) {
    const TMatrix4 toClip = transform.Projection * transform.Model;
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    double bestDepth = std::numeric_limits<double>::infinity();
    const double w = transform.Width;
    const double h = transform.Height;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const geometry::TVector3 a = toClip.Apply(list[i].Point1);
        const geometry::TVector3 b = toClip.Apply(list[i].Point2);
        const double ax = (a.x + 1.0) * 0.5 * w;
        const double ay = (1.0 - a.y) * 0.5 * h;
        const double bx = (b.x + 1.0) * 0.5 * w;
        const double by = (1.0 - b.y) * 0.5 * h;
        // The nearest point of the drawn line, and its depth there.
        const double dx = bx - ax;
        const double dy = by - ay;
        const double lengthSquared = dx * dx + dy * dy;
        double t = lengthSquared > 0.0 ? ((x - ax) * dx + (y - ay) * dy) / lengthSquared : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        const double distance = std::hypot(ax + t * dx - x, ay + t * dy - y);
        const double depth = a.z + t * (b.z - a.z);
        // NaN points (a file's broken segment) compare false and are never taken.
        if (!(distance <= radius)) {
            continue;
        }
        constexpr double kSameDistance = 0.5;
        const bool nearer = distance < bestDistance - kSameDistance;
        const bool asNear = std::abs(distance - bestDistance) <= kSameDistance;
        if (nearer || (asNear && depth < bestDepth)) {
            best = static_cast<int>(i);
            bestDistance = distance;
            bestDepth = depth;
        }
    }
    return best;
}

}  // namespace tessarin::view
