#include "samples/lathe_tool.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "geometry/vector3.h"
#include "model/coordinate_systems.h"

namespace tessarin::samples {

namespace {

using geometry::CrossProduct;
using geometry::Normalize;
using model::TPolygon;
using model::TSurface;
using model::TVector3;

constexpr double kDegree = std::numbers::pi / 180.0;
// The shank's sides that cut nothing lean in this far from upright below the rake face:
// while a tip raises their normals by less than 25 degrees they still point more than 10
// degrees down, neither front nor back.
constexpr double kUndercut = 35.0 * kDegree;

TVector3 Add(const TVector3& a, const TVector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
TVector3 Sub(const TVector3& a, const TVector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
TVector3 Scale(const TVector3& a, double f) {
    return {a.x * f, a.y * f, a.z * f};
}
double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
TVector3 Lerp(const TVector3& a, const TVector3& b, double w) {
    return Add(a, Scale(Sub(b, a), w));
}

struct TPlane {
    TVector3 Normal;
    double Offset = 0.0;  // Normal . x = Offset
};

TVector3 Intersect(const TPlane& p, const TPlane& q, const TPlane& r) {
    const TVector3 qr = CrossProduct(q.Normal, r.Normal);
    const TVector3 rp = CrossProduct(r.Normal, p.Normal);
    const TVector3 pq = CrossProduct(p.Normal, q.Normal);
    const double det = Dot(p.Normal, qr);
    return Scale(Add(Add(Scale(qr, p.Offset), Scale(rp, q.Offset)), Scale(pq, r.Offset)),
                 1.0 / det);
}

// The tool-frame basics every part of the construction reads.
struct TFrame {
    TVector3 Side;        // horizontal, from the nose along the side edge
    TVector3 End;         // horizontal, from the nose along the end edge
    TVector3 RakeNormal;  // unit
    TVector3 Axis;        // tool-frame point Z of the placed model passes through
    double Turn = 0.0;    // radians about Z that bring the nose to the azimuth Mu
};

double RakeHeight(const TLatheToolLayout& layout, double x, double y) {
    return -std::tan(layout.SideRake * kDegree) * x + std::tan(layout.BackRake * kDegree) * y;
}

TFrame FrameOf(const TLatheToolLayout& layout) {
    TFrame f;
    const double side = layout.SideCuttingEdgeAngle * kDegree;
    const double end = layout.EndCuttingEdgeAngle * kDegree;
    f.Side = {-std::sin(side), -std::cos(side), 0.0};
    f.End = {std::cos(end), -std::sin(end), 0.0};
    f.RakeNormal =
        Normalize({std::tan(layout.SideRake * kDegree), -std::tan(layout.BackRake * kDegree), 1.0});
    const TVector3 inward = Normalize(Add(f.Side, f.End));
    f.Axis = Scale(inward, 4.0);
    // The static normal leans towards Mu, so the nose, which must rise, points away from it.
    f.Turn = layout.TiltAzimuth * kDegree + std::numbers::pi - std::atan2(-inward.y, -inward.x);
    return f;
}

TVector3 TurnAboutZ(const TVector3& v, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}

// The static system's rotation: Z turned by GN about the horizontal axis at right angles
// to the azimuth Mu, computed as the definition of that system computes it.
TVector3 Tip(const TLatheToolLayout& layout, const TVector3& v) {
    const double mu = layout.TiltAzimuth;
    const TVector3 axis{std::cos((mu + 90.0) * model::kRadiansPerDegree),
                        std::cos(mu * model::kRadiansPerDegree), 0.0};
    return model::Rot(v, axis, layout.Tilt * model::kRadiansPerDegree);
}

// One face of the shank around the rake face: its plane through a line of the rake
// face's outline and the direction it falls away in below it.
struct TSideFace {
    TVector3 Inward;    // horizontal, into the tool
    double Lean = 0.0;  // radians from upright, positive falling into the tool
    bool Nose = false;  // a facet of the nose cone instead (Lean unused)
};

// A plane through the line from-to that falls away along `down` below it.
TPlane PlaneAlong(const TVector3& from, const TVector3& to, const TVector3& down,
                  const TVector3& inward) {
    TVector3 n = Normalize(CrossProduct(Sub(to, from), down));
    if (Dot(n, inward) > 0.0) {
        n = Scale(n, -1.0);
    }
    return {n, Dot(n, from)};
}

TPlane SidePlane(const TVector3& from, const TVector3& to, const TSideFace& face) {
    const TVector3 down =
        Sub(Scale(face.Inward, std::sin(face.Lean)), TVector3{0.0, 0.0, std::cos(face.Lean)});
    return PlaneAlong(from, to, down, face.Inward);
}

TVector3 LeftOf(const TVector3& v) {
    return Normalize({-v.y, v.x, 0.0});
}

class TEmitter {
public:
    explicit TEmitter(TSurface& out) : Out(out) {}

    void Triangle(const TVector3& a, TVector3 b, TVector3 c, const TVector3& outward) {
        TVector3 n = CrossProduct(Sub(b, a), Sub(c, a));
        if (Dot(n, outward) < 0.0) {
            std::swap(b, c);
            n = Scale(n, -1.0);
        }
        n = Normalize(n);
        Out.push_back(TPolygon{a, b, c, {n.x + 0.0, n.y + 0.0, n.z + 0.0}});
    }

private:
    TSurface& Out;
};

// The outline of the rake face counter-clockwise seen from above, starting at the end
// edge's far end, with the face of the shank below each piece (piece i runs from point i
// to point i + 1, the last one back to the first).
struct TOutline {
    std::vector<TVector3> Points;  // tool frame, on the rake face
    std::vector<int> Face;         // per piece, index into Faces
    std::vector<TSideFace> Faces;
};

TOutline OutlineOf(const TLatheToolLayout& layout, const TFrame& f) {
    TOutline o;
    const double noseHalf = NoseAngle(layout) * kDegree / 2.0;
    const double tangent = layout.NoseRadius > 0.0 ? layout.NoseRadius / std::tan(noseHalf) : 0.0;
    const TVector3 endFar = Scale(f.End, layout.EndEdgeLength);
    const TVector3 sideFar = Scale(f.Side, layout.SideEdgeLength);
    const TVector3 endNear = Scale(f.End, tangent);
    const TVector3 sideNear = Scale(f.Side, tangent);

    const auto addFace = [&](TVector3 inward, double lean, bool nose = false) {
        o.Faces.push_back({inward, lean, nose});
        return static_cast<int>(o.Faces.size()) - 1;
    };
    const int endFlank = addFace({0.0, -1.0, 0.0}, layout.EndRelief * kDegree);
    const int sideFlank = addFace({1.0, 0.0, 0.0}, layout.SideRelief * kDegree);
    const auto add = [&](const TVector3& p, int face) {
        o.Points.push_back(p);
        o.Face.push_back(face);
    };
    for (int j = 0; j < layout.EndDivisions; ++j) {
        add(j == 0 ? endFar : Lerp(endFar, endNear, static_cast<double>(j) / layout.EndDivisions),
            endFlank);
    }
    if (layout.NoseRadius > 0.0) {
        const TVector3 centre =
            Scale(Normalize(Add(f.Side, f.End)), layout.NoseRadius / std::sin(noseHalf));
        const TVector3 a = Sub(endNear, centre);
        const TVector3 b = Sub(sideNear, centre);
        const double from = std::atan2(a.y, a.x);
        double to = std::atan2(b.y, b.x);
        if (to < from) {
            to += 2.0 * std::numbers::pi;
        }
        std::vector<TVector3> arc{endNear};
        for (int k = 1; k < layout.NoseFacets; ++k) {
            const double t = from + (to - from) * k / layout.NoseFacets;
            arc.push_back(
                Add(centre, Scale(TVector3{std::cos(t), std::sin(t), 0.0}, layout.NoseRadius)));
        }
        arc.push_back(sideNear);
        for (int k = 0; k < layout.NoseFacets; ++k) {
            const TVector3 chord =
                Sub(arc[static_cast<std::size_t>(k) + 1], arc[static_cast<std::size_t>(k)]);
            add(arc[static_cast<std::size_t>(k)], addFace(LeftOf(chord), 0.0, true));
        }
    }
    for (int j = 0; j < layout.SideDivisions; ++j) {
        add(j == 0 ? sideNear
                   : Lerp(sideNear, sideFar, static_cast<double>(j) / layout.SideDivisions),
            sideFlank);
    }
    // The shank closes with two faces that meet the flanks at wide angles: a face nearly in
    // line with a flank but leaning otherwise would meet it far from the rake face.
    const TVector3 back{endFar.x, -layout.ShankLength, 0.0};
    add(sideFar, addFace(LeftOf(Sub(back, sideFar)), kUndercut));
    add(back, addFace({-1.0, 0.0, 0.0}, kUndercut));
    for (TVector3& p : o.Points) {
        p.z = RakeHeight(layout, p.x, p.y);
    }
    return o;
}

}  // namespace

double NoseAngle(const TLatheToolLayout& layout) {
    return 90.0 + layout.SideCuttingEdgeAngle - layout.EndCuttingEdgeAngle;
}

std::int64_t LatheCutEdgeSegmentCount(const TLatheToolLayout& layout) {
    return layout.SideDivisions + layout.EndDivisions +
           (layout.NoseRadius > 0.0 ? layout.NoseFacets : 0);
}

TVector3 PlacedDirection(const TLatheToolLayout& layout, const TVector3& v) {
    return Tip(layout, TurnAboutZ(v, FrameOf(layout).Turn));
}

TVector3 SideEdgeDirection(const TLatheToolLayout& layout) {
    return FrameOf(layout).Side;
}

TVector3 EndEdgeDirection(const TLatheToolLayout& layout) {
    return Scale(FrameOf(layout).End, -1.0);
}

TSurface GenerateLatheTool(const TLatheToolLayout& layout) {
    const TFrame f = FrameOf(layout);
    const TOutline o = OutlineOf(layout, f);
    const std::size_t count = o.Points.size();
    const auto next = [&](std::size_t i) { return (i + 1) % count; };

    std::vector<TPlane> planes;
    planes.resize(o.Faces.size());
    for (std::size_t i = 0; i < count; ++i) {
        // Every piece of a face lies on one line, so its first piece gives the plane.
        const auto face = static_cast<std::size_t>(o.Face[i]);
        if (!o.Faces[face].Nose && (i == 0 || o.Face[i] != o.Face[i - 1])) {
            planes[face] = SidePlane(o.Points[i], o.Points[next(i)], o.Faces[face]);
        }
    }
    // The nose facets all pass through one apex deep below on the line where the two
    // flanks meet, so that neighbouring facets, the flanks included, meet along lines
    // through it and the facets' bottom edges are those of the top scaled towards it:
    // planes that met at a small angle but leaned differently would meet far away.
    constexpr std::size_t kEndFlank = 0;  // the first two faces OutlineOf adds
    constexpr std::size_t kSideFlank = 1;
    const TVector3 apex =
        Intersect(planes[kEndFlank], planes[kSideFlank], {f.RakeNormal, -10.0 * layout.Thickness});
    for (std::size_t i = 0; i < count; ++i) {
        const auto face = static_cast<std::size_t>(o.Face[i]);
        if (o.Faces[face].Nose) {
            planes[face] = PlaneAlong(o.Points[i], o.Points[next(i)], Sub(apex, o.Points[i]),
                                      o.Faces[face].Inward);
        }
    }
    const TPlane bottom{Scale(f.RakeNormal, -1.0), layout.Thickness};

    // The bottom's corners where two faces meet; points inside a face's piece run are
    // spaced along its bottom line as they are along its top line.
    std::vector<TVector3> lower(count);
    std::vector<bool> corner(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t before = (i + count - 1) % count;
        if (o.Face[before] != o.Face[i]) {
            corner[i] = true;
            lower[i] = Intersect(planes[static_cast<std::size_t>(o.Face[before])],
                                 planes[static_cast<std::size_t>(o.Face[i])], bottom);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (corner[i]) {
            continue;
        }
        std::size_t first = i;
        while (!corner[first]) {
            first = (first + count - 1) % count;
        }
        std::size_t last = i;
        while (!corner[last]) {
            last = next(last);
        }
        const std::size_t runs = (last + count - first) % count;
        const std::size_t at = (i + count - first) % count;
        lower[i] = Lerp(lower[first], lower[last], static_cast<double>(at) / runs);
    }

    // Placed once per point, so that every face sharing a point shares its bits.
    const auto place = [&](const TVector3& p) {
        return Tip(layout, TurnAboutZ(Sub(p, f.Axis), f.Turn));
    };
    std::vector<TVector3> top(count);
    std::vector<TVector3> base(count);
    TVector3 topCentre;
    TVector3 baseCentre;
    for (std::size_t i = 0; i < count; ++i) {
        top[i] = place(o.Points[i]);
        base[i] = place(lower[i]);
        topCentre = Add(topCentre, Scale(o.Points[i], 1.0 / static_cast<double>(count)));
        baseCentre = Add(baseCentre, Scale(lower[i], 1.0 / static_cast<double>(count)));
    }
    topCentre = place(topCentre);
    baseCentre = place(baseCentre);
    const TVector3 up = PlacedDirection(layout, f.RakeNormal);

    TSurface polygons;
    TEmitter emit(polygons);
    for (std::size_t i = 0; i < count; ++i) {
        emit.Triangle(topCentre, top[i], top[next(i)], up);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const TVector3 outward =
            PlacedDirection(layout, planes[static_cast<std::size_t>(o.Face[i])].Normal);
        emit.Triangle(top[i], top[next(i)], base[next(i)], outward);
        emit.Triangle(top[i], base[next(i)], base[i], outward);
    }
    for (std::size_t i = 0; i < count; ++i) {
        emit.Triangle(baseCentre, base[next(i)], base[i], Scale(up, -1.0));
    }
    return polygons;
}

}  // namespace tessarin::samples
