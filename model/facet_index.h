// A bounding-volume hierarchy over the facets of a model, built once, asked which facets
// a plane cuts.
//
// It keeps a pointer to the polygons it was built from: they must outlive the index and
// must not change while it is used (build a new index after any change). Storage is 32
// bytes per node (float boxes rounded outwards, so a box never shrinks below its facets)
// and 4 bytes per facet, about 8 MB for 1 M facets.
#pragma once

#include <cstdint>
#include <vector>

#include "model/types.h"

namespace tessarin::model {

class TFacetIndex {
public:
    TFacetIndex() = default;
    explicit TFacetIndex(const TSurface& polygons);

    const TSurface* Polygons() const { return Polygons_; }
    std::size_t FacetCount() const { return Order_.size(); }
    std::size_t StoredBytes() const;

    // Appends to `out` the indices (into the polygons) of the facets with a vertex at most
    // `slack` (mm) above and one at most `slack` below the plane through `point` with
    // normal `normal` (any length but zero): the facets the plane cuts or touches. Each
    // appears once; the order is the index's own, so callers that need one sort. A facet
    // with a not-a-number coordinate is never given. An empty index gives nothing.
    void FacetsCutBy(const TVector3& point, const TVector3& normal, double slack,
                     std::vector<std::uint32_t>& out) const;

private:
    struct TNode {
        float Min[3];
        float Max[3];
        std::uint32_t First;  // leaf: the first entry in Order_; inner: the left child
        std::uint32_t Count;  // leaf: the number of facets; inner: 0 (right child is next)
    };

    const TSurface* Polygons_ = nullptr;
    std::vector<TNode> Nodes_;
    std::vector<std::uint32_t> Order_;
};

}  // namespace tessarin::model
