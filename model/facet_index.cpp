// A binary bounding-volume hierarchy, split at the median centroid along the longest
// axis of the centroids' box; leaves hold up to kLeafSize facets.
#include "model/facet_index.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tessarin::model {

namespace {

constexpr std::uint32_t kLeafSize = 8;

double Coordinate(const TVector3& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

// Rounded outwards, so that the float box always holds the double one.
float Down(double value) {
    const auto f = static_cast<float>(value);
    return static_cast<double>(f) > value
               ? std::nextafter(f, -std::numeric_limits<float>::infinity())
               : f;
}
float Up(double value) {
    const auto f = static_cast<float>(value);
    return static_cast<double>(f) < value
               ? std::nextafter(f, std::numeric_limits<float>::infinity())
               : f;
}

bool Finite(const TPolygon& p) {
    return std::isfinite(p.Vert1.x + p.Vert1.y + p.Vert1.z + p.Vert2.x + p.Vert2.y + p.Vert2.z +
                         p.Vert3.x + p.Vert3.y + p.Vert3.z);
}

}  // namespace

TFacetIndex::TFacetIndex(const TSurface& polygons) : Polygons_(&polygons) {
    // Facets with a not-a-number or infinite coordinate are left out: no plane test can
    // say where they are.
    Order_.reserve(polygons.size());
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        if (Finite(polygons[i])) {
            Order_.push_back(static_cast<std::uint32_t>(i));
        }
    }
    if (Order_.empty()) {
        return;
    }
    // Centroids in float are only for splitting; the boxes come from the doubles.
    std::vector<std::array<float, 3>> centroids(polygons.size());
    for (const std::uint32_t i : Order_) {
        const TPolygon& p = polygons[i];
        for (int axis = 0; axis < 3; ++axis) {
            centroids[i][static_cast<std::size_t>(axis)] =
                static_cast<float>((Coordinate(p.Vert1, axis) + Coordinate(p.Vert2, axis) +
                                    Coordinate(p.Vert3, axis)) /
                                   3.0);
        }
    }
    Nodes_.reserve(2 * (Order_.size() / kLeafSize + 1));

    struct TTask {
        std::uint32_t Node;
        std::uint32_t Begin;
        std::uint32_t End;
    };
    std::vector<TTask> stack;
    Nodes_.push_back({});
    stack.push_back({0, 0, static_cast<std::uint32_t>(Order_.size())});
    while (!stack.empty()) {
        const TTask task = stack.back();
        stack.pop_back();
        std::array<double, 3> lo{};
        std::array<double, 3> hi{};
        lo.fill(std::numeric_limits<double>::infinity());
        hi.fill(-std::numeric_limits<double>::infinity());
        std::array<float, 3> clo{};
        std::array<float, 3> chi{};
        clo.fill(std::numeric_limits<float>::infinity());
        chi.fill(-std::numeric_limits<float>::infinity());
        for (std::uint32_t k = task.Begin; k < task.End; ++k) {
            const std::uint32_t i = Order_[k];
            const TPolygon& p = polygons[i];
            for (std::size_t axis = 0; axis < 3; ++axis) {
                const int a = static_cast<int>(axis);
                for (const TVector3* v : {&p.Vert1, &p.Vert2, &p.Vert3}) {
                    lo[axis] = std::min(lo[axis], Coordinate(*v, a));
                    hi[axis] = std::max(hi[axis], Coordinate(*v, a));
                }
                clo[axis] = std::min(clo[axis], centroids[i][axis]);
                chi[axis] = std::max(chi[axis], centroids[i][axis]);
            }
        }
        TNode& node = Nodes_[task.Node];
        for (std::size_t axis = 0; axis < 3; ++axis) {
            node.Min[axis] = Down(lo[axis]);
            node.Max[axis] = Up(hi[axis]);
        }
        const std::uint32_t count = task.End - task.Begin;
        std::size_t axis = 0;
        for (std::size_t a = 1; a < 3; ++a) {
            if (chi[a] - clo[a] > chi[axis] - clo[axis]) {
                axis = a;
            }
        }
        if (count <= kLeafSize || !(chi[axis] > clo[axis])) {
            // A leaf; so is a run of facets whose centroids coincide, which no split parts.
            node.First = task.Begin;
            node.Count = count;
            continue;
        }
        const std::uint32_t middle = task.Begin + count / 2;
        const auto begin = Order_.begin();
        std::nth_element(begin + task.Begin, begin + middle, begin + task.End,
                         [&](std::uint32_t a, std::uint32_t b) {
                             return centroids[a][axis] < centroids[b][axis] ||
                                    (centroids[a][axis] == centroids[b][axis] && a < b);
                         });
        const auto left = static_cast<std::uint32_t>(Nodes_.size());
        Nodes_.push_back({});
        const auto right = static_cast<std::uint32_t>(Nodes_.size());
        Nodes_.push_back({});
        // `node` may dangle after the push_backs.
        Nodes_[task.Node].First = left;
        Nodes_[task.Node].Count = 0;
        stack.push_back({right, middle, task.End});
        stack.push_back({left, task.Begin, middle});
    }
}

std::size_t TFacetIndex::StoredBytes() const {
    return Nodes_.capacity() * sizeof(TNode) + Order_.capacity() * sizeof(std::uint32_t);
}

void TFacetIndex::FacetsCutBy(const TVector3& point, const TVector3& normal, double slack,
                              std::vector<std::uint32_t>& out) const {
    if (Nodes_.empty() || Polygons_ == nullptr) {
        return;
    }
    const double length =
        std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
    if (!(length > 0.0) || !std::isfinite(length)) {
        return;
    }
    const std::array<double, 3> n{normal.x / length, normal.y / length, normal.z / length};
    const std::array<double, 3> o{point.x, point.y, point.z};
    const auto distance = [&](const TVector3& v) {
        return n[0] * (v.x - o[0]) + n[1] * (v.y - o[1]) + n[2] * (v.z - o[2]);
    };
    const TSurface& polygons = *Polygons_;
    std::uint32_t stack[64];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const TNode& node = Nodes_[stack[--top]];
        double centre = 0.0;
        double radius = 0.0;
        for (std::size_t a = 0; a < 3; ++a) {
            const double mid = 0.5 * (static_cast<double>(node.Min[a]) + node.Max[a]);
            const double half = 0.5 * (static_cast<double>(node.Max[a]) - node.Min[a]);
            centre += n[a] * (mid - o[a]);
            radius += std::abs(n[a]) * half;
        }
        // The box's own rounding is far below any slack worth asking for, but a zero
        // slack must still find facets that only touch the plane.
        const double margin = slack + 1e-9 * (radius + std::abs(centre));
        if (!(std::abs(centre) <= radius + margin)) {
            continue;
        }
        if (node.Count == 0) {
            if (top + 2 > 64) {
                // The median split keeps the depth near log2 of the facets; never here.
                continue;
            }
            stack[top++] = node.First + 1;
            stack[top++] = node.First;
            continue;
        }
        for (std::uint32_t k = node.First; k < node.First + node.Count; ++k) {
            const std::uint32_t i = Order_[k];
            const TPolygon& p = polygons[i];
            const double d1 = distance(p.Vert1);
            const double d2 = distance(p.Vert2);
            const double d3 = distance(p.Vert3);
            if (std::min({d1, d2, d3}) <= slack && std::max({d1, d2, d3}) >= -slack) {
                out.push_back(i);
            }
        }
    }
}

}  // namespace tessarin::model
