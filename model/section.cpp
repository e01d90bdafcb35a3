// The outline follows the usual slicing scheme: classify the vertices against the plane,
// cut each facet that changes side, and chain the cuts through the mesh edges they share.
// On-plane vertices take a side once for all facets (symbolic perturbation), which is what
// keeps in-plane facets and touching vertices from giving pieces twice or not at all.
#include "model/section.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>
#include <unordered_map>

#include "model/systems.h"

namespace tessarin::model {

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;
constexpr double kShortest = 1e-12;

double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
TVector3 Minus(const TVector3& a, const TVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
TVector3 Scaled(const TVector3& v, double f) {
    return {v.x * f, v.y * f, v.z * f};
}
std::optional<TVector3> Unit(const TVector3& v) {
    const double length = std::sqrt(Dot(v, v));
    if (!(length >= kShortest) || !std::isfinite(length)) {
        return std::nullopt;
    }
    return Scaled(v, 1.0 / length);
}

// A point of the outline: where the mesh edge from Below to Above meets the plane, or the
// on-plane vertex Above itself (OnPlane). -0 is made +0 so that equal means bitwise equal.
struct TPointKey {
    double C[6];
    bool OnPlane;

    friend bool operator==(const TPointKey& a, const TPointKey& b) {
        return a.OnPlane == b.OnPlane && std::memcmp(a.C, b.C, sizeof a.C) == 0;
    }
    friend bool operator<(const TPointKey& a, const TPointKey& b) {
        if (a.OnPlane != b.OnPlane) {
            return a.OnPlane < b.OnPlane;
        }
        return std::lexicographical_compare(a.C, a.C + 6, b.C, b.C + 6);
    }
};

struct TPointKeyHash {
    std::size_t operator()(const TPointKey& k) const {
        std::uint64_t h = k.OnPlane ? 0x9e3779b97f4a7c15ULL : 0;
        for (const double c : k.C) {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &c, sizeof bits);
            h ^= bits + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        }
        return static_cast<std::size_t>(h);
    }
};

double Positive(double v) {
    return v + 0.0;
}

TPointKey KeyOf(const TVector3& below, const TVector3& above, bool onPlane) {
    TPointKey key{};
    key.OnPlane = onPlane;
    key.C[0] = Positive(above.x);
    key.C[1] = Positive(above.y);
    key.C[2] = Positive(above.z);
    if (!onPlane) {
        key.C[3] = Positive(below.x);
        key.C[4] = Positive(below.y);
        key.C[5] = Positive(below.z);
    }
    return key;
}

struct TCut {
    std::uint32_t A;  // point ids
    std::uint32_t B;
    int Vote;  // +1: the solid lies on the left going A -> B; -1 on the right; 0 unknown
};

class TSectionBuilder {
public:
    explicit TSectionBuilder(const TPlaneFrame& frame) : Frame_(frame) {}

    void AddFacet(const TPolygon& p) {
        const TVector3* v[3] = {&p.Vert1, &p.Vert2, &p.Vert3};
        double d[3];
        for (int i = 0; i < 3; ++i) {
            d[i] = Dot(Frame_.Normal, Minus(*v[i], Frame_.Origin));
            if (!std::isfinite(d[i])) {
                return;
            }
            if (std::abs(d[i]) <= kOnPlaneTolerance) {
                d[i] = 0.0;
            }
        }
        std::uint32_t ids[2];
        TVector3 points[2];
        int found = 0;
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3;
            const bool belowI = d[i] < 0.0;
            const bool belowJ = d[j] < 0.0;
            if (belowI == belowJ) {
                continue;
            }
            const int lo = belowI ? i : j;
            const int hi = belowI ? j : i;
            const bool onPlane = d[hi] == 0.0;
            TVector3 at = *v[hi];
            if (!onPlane) {
                // Always from the vertex below, so both facets of an edge get the same bits.
                const double t = d[lo] / (d[lo] - d[hi]);
                at = {v[lo]->x + (v[hi]->x - v[lo]->x) * t, v[lo]->y + (v[hi]->y - v[lo]->y) * t,
                      v[lo]->z + (v[hi]->z - v[lo]->z) * t};
            }
            ids[found] = PointId(KeyOf(*v[lo], *v[hi], onPlane), at);
            points[found] = at;
            ++found;
        }
        // A facet changes side on exactly two of its edges, or on none.
        if (found != 2 || ids[0] == ids[1]) {
            return;
        }
        // The facet's outward normal from its vertex order lies on the side away from
        // the solid: the solid is on the left of a cut running along t when
        // (Normal x t) . facetNormal < 0.
        const TVector3 facetNormal = CrossProduct(Minus(p.Vert2, p.Vert1), Minus(p.Vert3, p.Vert1));
        const double side =
            Dot(CrossProduct(Frame_.Normal, Minus(points[1], points[0])), facetNormal);
        const int vote = side < 0.0 ? 1 : (side > 0.0 ? -1 : 0);
        Cuts_.push_back({ids[0], ids[1], vote});
    }

    TSectionOutline Finish();

private:
    std::uint32_t PointId(const TPointKey& key, const TVector3& at) {
        const auto [it, inserted] = Ids_.try_emplace(key, static_cast<std::uint32_t>(Keys_.size()));
        if (inserted) {
            Keys_.push_back(key);
            Points_.push_back(PlanePoint(Frame_, at));
        }
        return it->second;
    }

    TPlaneFrame Frame_;
    std::unordered_map<TPointKey, std::uint32_t, TPointKeyHash> Ids_;
    std::vector<TPointKey> Keys_;
    std::vector<TVector2> Points_;
    std::vector<TCut> Cuts_;
};

double SignedArea(const std::vector<TVector2>& ring) {
    double twice = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const TVector2& a = ring[i];
        const TVector2& b = ring[(i + 1) % ring.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return 0.5 * twice;
}

TSectionOutline TSectionBuilder::Finish() {
    // Renumber the points by their keys, so that nothing below depends on the order the
    // facets came in.
    const std::size_t pointCount = Keys_.size();
    std::vector<std::uint32_t> byKey(pointCount);
    std::iota(byKey.begin(), byKey.end(), 0U);
    std::sort(byKey.begin(), byKey.end(),
              [&](std::uint32_t a, std::uint32_t b) { return Keys_[a] < Keys_[b]; });
    std::vector<std::uint32_t> rank(pointCount);
    for (std::uint32_t r = 0; r < pointCount; ++r) {
        rank[byKey[r]] = r;
    }
    std::vector<TVector2> points(pointCount);
    for (std::uint32_t i = 0; i < pointCount; ++i) {
        points[rank[i]] = Points_[i];
    }

    // Each cut from the smaller point to the larger; a repeated cut (a repeated facet, the
    // two sides of a zero-thickness wall) counts once with the votes summed.
    for (TCut& cut : Cuts_) {
        cut.A = rank[cut.A];
        cut.B = rank[cut.B];
        if (cut.A > cut.B) {
            std::swap(cut.A, cut.B);
            cut.Vote = -cut.Vote;
        }
    }
    std::sort(Cuts_.begin(), Cuts_.end(),
              [](const TCut& a, const TCut& b) { return a.A != b.A ? a.A < b.A : a.B < b.B; });
    std::vector<TCut> cuts;
    for (const TCut& cut : Cuts_) {
        if (!cuts.empty() && cuts.back().A == cut.A && cuts.back().B == cut.B) {
            cuts.back().Vote += cut.Vote;
        } else {
            cuts.push_back(cut);
        }
    }

    // Adjacency in cut order.
    std::vector<std::uint32_t> start(pointCount + 1, 0);
    for (const TCut& cut : cuts) {
        ++start[cut.A + 1];
        ++start[cut.B + 1];
    }
    for (std::size_t i = 0; i < pointCount; ++i) {
        start[i + 1] += start[i];
    }
    std::vector<std::uint32_t> incident(start.back());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::uint32_t c = 0; c < cuts.size(); ++c) {
        incident[fill[cuts[c].A]++] = c;
        incident[fill[cuts[c].B]++] = c;
    }
    std::vector<char> used(cuts.size(), 0);
    std::vector<std::uint32_t> next(pointCount);
    for (std::uint32_t i = 0; i < pointCount; ++i) {
        next[i] = start[i];
    }
    const auto unusedAt = [&](std::uint32_t point) -> std::optional<std::uint32_t> {
        while (next[point] < start[point + 1]) {
            const std::uint32_t c = incident[next[point]];
            if (!used[c]) {
                return c;
            }
            ++next[point];
        }
        return std::nullopt;
    };

    struct TChain {
        std::vector<std::uint32_t> Ids;
        bool Closed;
    };
    std::vector<TChain> chains;
    const auto walk = [&](std::uint32_t from) {
        TChain chain{{from}, false};
        int votes = 0;
        std::uint32_t at = from;
        while (const std::optional<std::uint32_t> c = unusedAt(at)) {
            used[*c] = 1;
            const TCut& cut = cuts[*c];
            const bool forward = cut.A == at;
            votes += forward ? cut.Vote : -cut.Vote;
            at = forward ? cut.B : cut.A;
            chain.Ids.push_back(at);
        }
        chain.Closed = chain.Ids.size() > 3 && at == from;
        if (chain.Closed) {
            chain.Ids.pop_back();
        }
        bool reverse = votes < 0;
        if (votes == 0 && chain.Closed) {
            std::vector<TVector2> ring;
            for (const std::uint32_t id : chain.Ids) {
                ring.push_back(points[id]);
            }
            reverse = SignedArea(ring) < 0.0;
        }
        if (reverse) {
            std::reverse(chain.Ids.begin(), chain.Ids.end());
        }
        if (chain.Closed) {
            std::rotate(chain.Ids.begin(), std::min_element(chain.Ids.begin(), chain.Ids.end()),
                        chain.Ids.end());
        }
        chains.push_back(std::move(chain));
    };
    // Open pieces start at their ends (points of odd degree), then the loops.
    for (std::uint32_t i = 0; i < pointCount; ++i) {
        if ((start[i + 1] - start[i]) % 2 == 1 && unusedAt(i)) {
            walk(i);
        }
    }
    for (std::uint32_t i = 0; i < pointCount; ++i) {
        while (unusedAt(i)) {
            walk(i);
        }
    }
    std::sort(chains.begin(), chains.end(),
              [](const TChain& a, const TChain& b) { return a.Ids < b.Ids; });

    TSectionOutline outline;
    outline.Polylines.reserve(chains.size());
    for (const TChain& chain : chains) {
        TSectionPolyline line;
        line.Closed = chain.Closed;
        line.Points.reserve(chain.Ids.size());
        for (const std::uint32_t id : chain.Ids) {
            line.Points.push_back(points[id]);
        }
        outline.Polylines.push_back(std::move(line));
    }
    return outline;
}

TVector2 Direction(double degrees) {
    const double radians = degrees / kDegreesPerRadian;
    return {std::cos(radians), std::sin(radians)};
}

}  // namespace

std::optional<TPlaneFrame> MakePlaneFrame(const TVector3& point, const TVector3& normal,
                                          const TVector3& axisU) {
    const std::optional<TVector3> n = Unit(normal);
    if (!n) {
        return std::nullopt;
    }
    const std::optional<TVector3> u = Unit(Minus(axisU, Scaled(*n, Dot(axisU, *n))));
    if (!u) {
        return std::nullopt;
    }
    return TPlaneFrame{point, *n, *u, CrossProduct(*n, *u)};
}

std::optional<TPlaneFrame> MakePlaneFrame(const TVector3& point, const TVector3& normal) {
    const std::optional<TVector3> n = Unit(normal);
    if (!n) {
        return std::nullopt;
    }
    const double along[3] = {std::abs(n->x), std::abs(n->y), std::abs(n->z)};
    const int axis = static_cast<int>(std::min_element(along, along + 3) - along);
    const TVector3 hint{axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0};
    return MakePlaneFrame(point, *n, hint);
}

TVector2 PlanePoint(const TPlaneFrame& frame, const TVector3& p) {
    const TVector3 r = Minus(p, frame.Origin);
    return {Dot(r, frame.AxisU), Dot(r, frame.AxisV)};
}

TSectionOutline SectionOfMesh(const TFacetIndex& index, const TPlaneFrame& frame) {
    if (index.Polygons() == nullptr) {
        return {};
    }
    std::vector<std::uint32_t> facets;
    index.FacetsCutBy(frame.Origin, frame.Normal, 2.0 * kOnPlaneTolerance, facets);
    TSectionBuilder builder(frame);
    const TSurface& polygons = *index.Polygons();
    for (const std::uint32_t i : facets) {
        builder.AddFacet(polygons[i]);
    }
    return builder.Finish();
}

TSectionOutline SectionOfMesh(const TSurface& polygons, const TPlaneFrame& frame) {
    TSectionBuilder builder(frame);
    for (const TPolygon& p : polygons) {
        builder.AddFacet(p);
    }
    return builder.Finish();
}

std::optional<TWedgeSection> WedgeSectionOf(const TSegment& segment, const CSValues& accepted,
                                            int system, TWedgePlane plane) {
    if (system < kISK || system > kDSK) {
        return std::nullopt;
    }
    const bool needsWorkingPlane = plane == TWedgePlane::Pf || plane == TWedgePlane::Pp;
    if (needsWorkingPlane && system == kISK) {
        return std::nullopt;
    }
    const TSystemFrame frame = FrameOf(accepted, system);
    const TSectionPlaneKind kind = plane == TWedgePlane::Pn   ? TSectionPlaneKind::Normal
                                   : plane == TWedgePlane::Po ? TSectionPlaneKind::Main
                                   : plane == TWedgePlane::Pf ? TSectionPlaneKind::Working
                                                              : TSectionPlaneKind::Back;
    const std::optional<TSectionFrame> section =
        SectionFrame(kind, segment.Direct, frame.N, frame.P);
    if (!section) {
        return std::nullopt;
    }
    TWedgeSection out;
    out.Section = *section;
    const TVector3 middle{0.5 * (segment.Point1.x + segment.Point2.x),
                          0.5 * (segment.Point1.y + segment.Point2.y),
                          0.5 * (segment.Point1.z + segment.Point2.z)};
    out.Frame = TPlaneFrame{middle, CrossProduct(section->R, section->U), section->R, section->U};
    out.Rake = SectionFrameRake(*section, segment.Front.Normal);
    out.Clearance = SectionFrameClearance(*section, segment.Back.Normal);
    out.Wedge = WedgeAngle(out.Rake, out.Clearance);
    out.ReferenceTrace = {1.0, 0.0};
    out.RakeTrace = Direction(-out.Rake);
    out.FlankTrace = Direction(out.Clearance - 90.0);
    out.RakeArc = {0.0, -out.Rake};
    out.ClearanceArc = {-90.0, out.Clearance};
    out.WedgeArc = {out.Clearance - 90.0, out.Wedge};
    return out;
}

}  // namespace tessarin::model
