// The rake, clearance, inclination and plan angles of the cutting-edge segments.
//
// Each angle is measured in a plane built from the segment's direction and the
// system's normals with cross products; its sign comes from comparing a further cross
// product with a reference normal. The vectors are used as they are (the kinematic
// normal is not of unit length), and degenerate segments fall out as the primitives of
// geometry/vector3.h make them.
#include "model/angles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "model/model.h"
#include "model/systems.h"

namespace tessarin::model {

using geometry::CrossProduct;
using geometry::Normalize;
using geometry::SamePoint;
using geometry::VectorAngle;

double RakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n) {
    const TVector3 a = CrossProduct(n, d);
    const TVector3 b = CrossProduct(n, a);  // normal of the main section plane
    const TVector3 c = CrossProduct(b, fn);
    const TVector3 e = CrossProduct(b, n);
    const TVector3 f = CrossProduct(e, c);
    const double sign = SamePoint(Normalize(f), Normalize(b)) ? 1.0 : -1.0;
    return sign * VectorAngle(c, e);
}

double ClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n) {
    const TVector3 a = CrossProduct(n, d);
    const TVector3 b = CrossProduct(n, a);
    const TVector3 c = CrossProduct(b, bn);
    const TVector3 e = CrossProduct(a, b);
    // The operands in the opposite order to the rake angle's.
    const TVector3 f = CrossProduct(c, e);
    const double sign = SamePoint(Normalize(f), Normalize(b)) ? 1.0 : -1.0;
    return sign * VectorAngle(c, e);
}

double InclinationAngle(const TVector3& d, const TVector3& n) {
    const TVector3 a = CrossProduct(n, d);
    const TVector3 b = CrossProduct(a, n);
    const TVector3 f = CrossProduct(b, d);
    const double sign = SamePoint(Normalize(f), Normalize(a)) ? 1.0 : -1.0;
    return sign * VectorAngle(b, d);
}

double PlanAngle(const TVector3& d, const TVector3& p, const TVector3& n) {
    const TVector3 a = CrossProduct(n, d);
    const TVector3 b = CrossProduct(n, a);
    const TVector3 c = CrossProduct(p, n);
    return 180.0 - VectorAngle(b, c);
}

double SectionRakeAngle(const TVector3& fn, const TVector3& n, const TVector3& s) {
    const TVector3 a = CrossProduct(s, fn);
    const TVector3 e = CrossProduct(s, n);
    const TVector3 f = CrossProduct(e, a);
    // The reverse of the rake angle's rule: S points along the projection of the
    // segment where the main section normal points against it.
    const double sign = SamePoint(Normalize(f), Normalize(s)) ? -1.0 : 1.0;
    return sign * VectorAngle(a, e);
}

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;
// Below this sine of the angle between two directions a plane built from them is taken
// as not defined.
constexpr double kDegenerateSine = 1e-12;

double Dot(const TVector3& a, const TVector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TVector3 Scaled(const TVector3& v, double f) {
    return {v.x * f, v.y * f, v.z * f};
}

// The unit vector of `v`, or nullopt when it is shorter than kDegenerateSine: every
// caller passes the cross product of two unit vectors, so that is the sine between them.
std::optional<TVector3> UnitOrNothing(const TVector3& v) {
    const double length = std::sqrt(Dot(v, v));
    if (!(length >= kDegenerateSine)) {
        return std::nullopt;
    }
    return Scaled(v, 1.0 / length);
}

// A section plane by its basic-plane trace r (into the tool) and its upward direction u.
using TSection = TSectionFrame;

double SectionRake(const TSection& section, const TVector3& fn) {
    return std::atan2(Dot(fn, section.R), Dot(fn, section.U)) * kDegreesPerRadian;
}

double SectionClearance(const TSection& section, const TVector3& bn) {
    return std::atan2(-Dot(bn, section.U), -Dot(bn, section.R)) * kDegreesPerRadian;
}

constexpr double kNotDefined = std::numeric_limits<double>::quiet_NaN();

std::optional<TSection> NormalSection(const TVector3& d, const TVector3& n) {
    const TVector3 unitD = Normalize(d);
    const std::optional<TVector3> r = UnitOrNothing(CrossProduct(Normalize(n), unitD));
    if (!r) {
        return std::nullopt;
    }
    // D x r is N's part at right angles to D, of unit length since D and r are.
    return TSection{*r, CrossProduct(unitD, *r)};
}

// The working plane's trace c = unit(P x N), or nullopt when P has no part in the basic
// plane.
std::optional<TVector3> WorkingTrace(const TVector3& n, const TVector3& p) {
    return UnitOrNothing(CrossProduct(Normalize(p), Normalize(n)));
}

std::optional<TSection> WorkingSection(const TVector3& d, const TVector3& n, const TVector3& p) {
    const std::optional<TVector3> c = WorkingTrace(n, p);
    if (!c) {
        return std::nullopt;
    }
    const TVector3 unitN = Normalize(n);
    // The side of the edge the tool lies on; a segment along c (or along N) has none, and
    // c is kept as it is.
    const bool against = Dot(CrossProduct(unitN, d), *c) < 0.0;
    return TSection{against ? Scaled(*c, -1.0) : *c, unitN};
}

std::optional<TSection> BackSection(const TVector3& n, const TVector3& p) {
    const std::optional<TVector3> c = WorkingTrace(n, p);
    if (!c) {
        return std::nullopt;
    }
    const TVector3 unitN = Normalize(n);
    return TSection{CrossProduct(unitN, *c), unitN};
}

}  // namespace

double NormalRakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n) {
    const std::optional<TSection> section = NormalSection(d, n);
    return section ? SectionRake(*section, fn) : kNotDefined;
}

double NormalClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n) {
    const std::optional<TSection> section = NormalSection(d, n);
    return section ? SectionClearance(*section, bn) : kNotDefined;
}

double WedgeAngle(double rake, double clearance) {
    return 90.0 - rake - clearance;
}

double WorkingRakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n,
                        const TVector3& p) {
    const std::optional<TSection> section = WorkingSection(d, n, p);
    return section ? SectionRake(*section, fn) : kNotDefined;
}

double WorkingClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n,
                             const TVector3& p) {
    const std::optional<TSection> section = WorkingSection(d, n, p);
    return section ? SectionClearance(*section, bn) : kNotDefined;
}

double BackRakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n, const TVector3& p) {
    (void)d;
    const std::optional<TSection> section = BackSection(n, p);
    return section ? SectionRake(*section, fn) : kNotDefined;
}

double BackClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n,
                          const TVector3& p) {
    (void)d;
    const std::optional<TSection> section = BackSection(n, p);
    return section ? SectionClearance(*section, bn) : kNotDefined;
}

double ApproachAngle(const TVector3& d, const TVector3& p, const TVector3& n) {
    return 90.0 - PlanAngle(d, p, n);
}

TDerivedAngles DerivedAngles(const TVector3& d, const TVector3& fn, const TVector3& bn,
                             const TVector3& n, const TVector3& p) {
    TDerivedAngles out{kNotDefined, kNotDefined, kNotDefined, kNotDefined, kNotDefined,
                       kNotDefined, kNotDefined, kNotDefined, kNotDefined};
    const TVector3 unitN = Normalize(n);
    const TVector3 unitD = Normalize(d);
    const TVector3 across = CrossProduct(unitN, unitD);
    if (const std::optional<TVector3> r = UnitOrNothing(across)) {
        const TSection main{*r, unitN};
        const TSection normal{*r, CrossProduct(unitD, *r)};
        const double go = SectionRake(main, fn);
        const double ao = SectionClearance(main, bn);
        out.Gn = SectionRake(normal, fn);
        out.An = SectionClearance(normal, bn);
        out.Bo = WedgeAngle(go, ao);
        out.Bn = WedgeAngle(out.Gn, out.An);
    }
    if (const std::optional<TVector3> c = WorkingTrace(n, p)) {
        const TSection working{Dot(across, *c) < 0.0 ? Scaled(*c, -1.0) : *c, unitN};
        const TSection back{CrossProduct(unitN, *c), unitN};
        out.Gf = SectionRake(working, fn);
        out.Af = SectionClearance(working, bn);
        out.Gp = SectionRake(back, fn);
        out.Ap = SectionClearance(back, bn);
        out.Psi = ApproachAngle(d, p, n);
    }
    return out;
}

namespace {

// Steps a progress in batches, never beyond its maximum: the angle loop has one item
// more than its maximum of SegmentCount - 1.
class TClampedSteps {
public:
    TClampedSteps(TProgress& progress, int maximum)
        : Progress(progress), Remaining(std::max(maximum, 0)) {}
    TClampedSteps(const TClampedSteps&) = delete;
    TClampedSteps& operator=(const TClampedSteps&) = delete;
    ~TClampedSteps() { Flush(); }

    void Advance() {
        if (++Pending == kProgressBatch) {
            Flush();
        }
    }

private:
    void Flush() {
        const int count = std::min(Pending, Remaining);
        if (count > 0) {
            Progress.Step(count);
            Remaining -= count;
        }
        Pending = 0;
    }

    TProgress& Progress;
    int Remaining;
    int Pending = 0;
};

template <typename Compute>
void ForEachSegment(TCutEdgeData& cutEdge, TProgress& progress, int maximum, Compute compute) {
    TClampedSteps steps(progress, maximum);
    for (TSegment& segment : cutEdge) {
        steps.Advance();
        compute(segment);
    }
}

}  // namespace

void TModel::ComputeAngles(int system, TProgress& progress) {
    if (system < kISK || system > kDSK) {
        return;
    }
    SurfaceData.Modified = true;
    for (TMarkedCellsOfCol& marks : MarkedCells) {
        marks.resize(static_cast<std::size_t>(std::max(SegmentCount, 0)));
    }
    const std::string text =
        std::string("Расчёт углов в ") + SystemInfo(system).Abbreviation + " >>";
    const TProgressScope scope(progress, text, SegmentCount - 1);
    const int maximum = SegmentCount - 1;
    // The vectors the formulas read come from one place, which also decides when a new
    // definition makes computed angles stale.
    const TSystemFrame frame = FrameOf(AcceptedCS, system);
    const TVector3 n = frame.N;
    const TVector3 fp = frame.P;
    switch (system) {
        case kISK: {
            ForEachSegment(CutEdge, progress, maximum, [&](TSegment& s) {
                s.ISK.A = ClearanceAngle(s.Direct, s.Back.Normal, n);
                s.ISK.G = RakeAngle(s.Direct, s.Front.Normal, n);
                s.ISK.L = InclinationAngle(s.Direct, n);
            });
            break;
        }
        case kSSK:
        case kKSK: {
            ForEachSegment(CutEdge, progress, maximum, [&](TSegment& s) {
                TAngles4& angles = system == kSSK ? s.SSK : s.KSK;
                angles.A = ClearanceAngle(s.Direct, s.Back.Normal, n);
                angles.G = RakeAngle(s.Direct, s.Front.Normal, n);
                angles.L = InclinationAngle(s.Direct, n);
                angles.F = PlanAngle(s.Direct, fp, n);
            });
            break;
        }
        default: {
            // The dynamic system keeps the static basic plane; only the rake angle is
            // measured in its own section plane.
            const TVector3 sp = frame.S;
            ForEachSegment(CutEdge, progress, maximum, [&](TSegment& s) {
                s.DSK.A = ClearanceAngle(s.Direct, s.Back.Normal, n);
                s.DSK.G = SectionRakeAngle(s.Front.Normal, n, sp);
                s.DSK.L = InclinationAngle(s.Direct, n);
                s.DSK.F = PlanAngle(s.Direct, fp, n);
            });
            break;
        }
    }
    FillAngleColumns(system);
    FillAngleMarks(system);
    DefinedAngles[static_cast<std::size_t>(system)] = true;
    if (SelectCutEdgeExist) {
        SyncSelection();
        FillSelectionLists();
    }
}

void TModel::ForgetAngles(int system) {
    if (system < kISK || system > kDSK) {
        return;
    }
    SurfaceData.Modified = true;
    DefinedAngles[static_cast<std::size_t>(system)] = false;
    for (TSegment& segment : CutEdge) {
        ClearSegmentAngles(segment, system);
    }
    for (TSegment& segment : SelectCutEdge) {
        ClearSegmentAngles(segment, system);
    }
    const TSystemInfo& info = SystemInfo(system);
    for (int k = info.FirstColumn; k < info.FirstColumn + info.AngleCount; ++k) {
        Columns[k].clear();
        Columns[k + kSelectionColumnOffset].clear();
        Series(k).Clear();
        TMarkedCellsOfCol& marks = MarkedCells.at(static_cast<std::size_t>(k - 3));
        marks.assign(marks.size(), false);
    }
    if (SelectCutEdgeExist) {
        // The other systems' selection columns stay; these are simply left empty.
        FillSelectionLists();
    }
}

void TModel::SyncSelection() {
    const auto edgeSize = static_cast<std::int64_t>(CutEdge.size());
    for (TSegment& entry : SelectCutEdge) {
        if (entry.Number < 1 || entry.Number > edgeSize) {
            continue;
        }
        const TSegment& current = CutEdge[static_cast<std::size_t>(entry.Number - 1)];
        // A selection read from a file written after segments were discarded may name
        // other segments than it was made of; those copies keep what they hold.
        if (current.Point1 != entry.Point1 || current.Point2 != entry.Point2) {
            continue;
        }
        for (int system = kISK; system <= kDSK; ++system) {
            CopySegmentAngles(current, entry, system);
        }
    }
}

std::optional<TSectionFrame> SectionFrame(TSectionPlaneKind kind, const TVector3& d,
                                          const TVector3& n, const TVector3& p) {
    switch (kind) {
        case TSectionPlaneKind::Main: {
            // The main section of DerivedAngles: r = unit(N x D), u = unit(N).
            const TVector3 unitN = Normalize(n);
            const std::optional<TVector3> r = UnitOrNothing(CrossProduct(unitN, Normalize(d)));
            if (!r) {
                return std::nullopt;
            }
            return TSectionFrame{*r, unitN};
        }
        case TSectionPlaneKind::Normal:
            return NormalSection(d, n);
        case TSectionPlaneKind::Working:
            return WorkingSection(d, n, p);
        case TSectionPlaneKind::Back:
            return BackSection(n, p);
    }
    return std::nullopt;
}

double SectionFrameRake(const TSectionFrame& frame, const TVector3& fn) {
    return SectionRake(frame, fn);
}

double SectionFrameClearance(const TSectionFrame& frame, const TVector3& bn) {
    return SectionClearance(frame, bn);
}

}  // namespace tessarin::model
