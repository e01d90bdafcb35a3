// The bounding box of a model's vertices, with the rule every import keeps.
#pragma once

#include "model/types.h"

namespace tessarin::model {

// The accumulators start at 0, not at the first vertex, so the box always contains the
// origin. "not (max >= v)" rather than "v > max" lets a NaN coordinate become the maximum
// (and the next vertex replace it again), while "min > v" never takes a NaN; both tests
// keep the first of equal values (0 before -0).
struct TBoundingBox {
    double Max[3] = {0.0, 0.0, 0.0};
    double Min[3] = {0.0, 0.0, 0.0};

    void Add(const TVector3& v) {
        AddAxis(0, v.x);
        AddAxis(1, v.y);
        AddAxis(2, v.z);
    }

    void Add(const TPolygon& p) {
        Add(p.Vert1);
        Add(p.Vert2);
        Add(p.Vert3);
    }

private:
    void AddAxis(int axis, double v) {
        if (!(Max[axis] >= v)) {
            Max[axis] = v;
        }
        if (Min[axis] > v) {
            Min[axis] = v;
        }
    }
};

}  // namespace tessarin::model
