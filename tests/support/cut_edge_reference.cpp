// Written as plainly as possible, without any shortcut: the fast search and the key sort
// of the core are proved equal to these.
#include "tests/support/cut_edge_reference.h"

#include <cstddef>
#include <utility>

#include "geometry/vector3.h"
#include "model/cut_edge.h"

namespace tessarin::test {

void ReferenceCollectSegments(const model::TSurface& front, const model::TSurface& back,
                              model::TCutEdgeData& segments, double tolerance,
                              double minNormalAngle) {
    const auto SamePoint = [tolerance](const geometry::TVector3& p, const geometry::TVector3& q) {
        return geometry::SamePoint(p, q, tolerance);
    };
    for (std::size_t i = 0; i < front.size(); ++i) {
        const model::TPolygon& f = front[i];
        for (std::size_t j = 0; j < back.size(); ++j) {
            const model::TPolygon& b = back[j];
            if (minNormalAngle > 0.0 &&
                geometry::VectorAngle(f.Normal, b.Normal) < minNormalAngle) {
                continue;
            }
            const auto add = [&](const geometry::TVector3& p, const geometry::TVector3& q) {
                segments.push_back(model::MakeSegment(p, q, f, b));
            };
            if (SamePoint(f.Vert1, b.Vert1)) {
                if (SamePoint(f.Vert2, b.Vert2) || SamePoint(f.Vert2, b.Vert3)) {
                    add(f.Vert1, f.Vert2);
                }
                if (SamePoint(f.Vert3, b.Vert2) || SamePoint(f.Vert3, b.Vert3)) {
                    add(f.Vert1, f.Vert3);
                }
            }
            if (SamePoint(f.Vert1, b.Vert2)) {
                if (SamePoint(f.Vert2, b.Vert1) || SamePoint(f.Vert2, b.Vert3)) {
                    add(f.Vert1, f.Vert2);
                }
                if (SamePoint(f.Vert3, b.Vert1) || SamePoint(f.Vert3, b.Vert3)) {
                    add(f.Vert1, f.Vert3);
                }
            }
            if (SamePoint(f.Vert1, b.Vert3)) {
                if (SamePoint(f.Vert2, b.Vert1) || SamePoint(f.Vert2, b.Vert2)) {
                    add(f.Vert1, f.Vert2);
                }
                if (SamePoint(f.Vert3, b.Vert1) || SamePoint(f.Vert3, b.Vert2)) {
                    add(f.Vert1, f.Vert3);
                }
            }
            if (SamePoint(f.Vert2, b.Vert1)) {
                if (SamePoint(f.Vert3, b.Vert2)) {
                    add(f.Vert2, f.Vert3);
                }
                if (SamePoint(f.Vert3, b.Vert3)) {
                    add(f.Vert2, f.Vert3);
                }
            }
            if (SamePoint(f.Vert2, b.Vert2)) {
                if (SamePoint(f.Vert3, b.Vert3)) {
                    add(f.Vert2, f.Vert3);
                }
                if (SamePoint(f.Vert3, b.Vert1)) {
                    add(f.Vert2, f.Vert3);
                }
            }
            if (SamePoint(f.Vert2, b.Vert3)) {
                if (SamePoint(f.Vert3, b.Vert1)) {
                    add(f.Vert2, f.Vert3);
                }
                if (SamePoint(f.Vert3, b.Vert2)) {
                    add(f.Vert2, f.Vert3);
                }
            }
        }
    }
}

void ReferenceOrderByPolar(model::TCutEdgeData& segments) {
    const std::size_t count = segments.size();
    if (count < 2) {
        return;
    }
    for (std::size_t i = 0; i + 1 < count; ++i) {
        bool swapped = false;
        for (std::size_t j = count - 1; j-- > i;) {  // j = count - 2 down to i
            if (segments[j].Polar > segments[j + 1].Polar) {
                std::swap(segments[j], segments[j + 1]);
                swapped = true;
            }
        }
        if (!swapped) {
            break;
        }
    }
}

}  // namespace tessarin::test
