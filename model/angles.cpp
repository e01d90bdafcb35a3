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
#include <string_view>

#include "model/model.h"

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

constexpr std::array<std::string_view, 4> kProgressTexts{
    "Расчёт углов в ИСК >>", "Расчёт углов в ССК >>", "Расчёт углов в КСК >>",
    "Расчёт углов в ДСК >>"};

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
    const TProgressScope scope(progress, kProgressTexts[static_cast<std::size_t>(system)],
                               SegmentCount - 1);
    const int maximum = SegmentCount - 1;
    const TVector3 fp = AcceptedCS.FeedPlan.FP;
    switch (system) {
        case kISK: {
            const TVector3 n{0.0, 0.0, 1.0};
            ForEachSegment(CutEdge, progress, maximum, [&](TSegment& s) {
                s.ISK.A = ClearanceAngle(s.Direct, s.Back.Normal, n);
                s.ISK.G = RakeAngle(s.Direct, s.Front.Normal, n);
                s.ISK.L = InclinationAngle(s.Direct, n);
            });
            break;
        }
        case kSSK:
        case kKSK: {
            const TVector3 n = system == kSSK ? AcceptedCS.SSK.OP : AcceptedCS.KSK.OP;
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
            const TVector3 n = AcceptedCS.SSK.OP;
            const TVector3 sp = AcceptedCS.DSK.SP;
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
}

}  // namespace tessarin::model
