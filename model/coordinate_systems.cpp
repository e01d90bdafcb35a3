// Preview and accept of the static, kinematic and dynamic systems and the working plane.
#include "model/coordinate_systems.h"

#include <cmath>
#include <string>

#include "base/language.h"
#include "model/model.h"

namespace tessarin::model {

using geometry::CrossProduct;
using geometry::Normalize;
using geometry::TVector3;

TVector3 Rot(const TVector3& v, const TVector3& u, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const TVector3 w = CrossProduct(u, v);
    const double d = u.x * v.x + u.y * v.y + u.z * v.z;
    return {v.x * c + w.x * s + u.x * d * (1.0 - c), v.y * c + w.y * s + u.y * d * (1.0 - c),
            v.z * c + w.z * s + u.z * d * (1.0 - c)};
}

namespace {

// The main segment of the working plane must lie on the cutting edge. It can point
// past the end after a project was opened or the edge was found again with fewer
// segments; reading there would use memory that is not a segment.
TResult CheckMainSegment(std::int32_t hce, const TCutEdgeData& cutEdge) {
    const auto count = static_cast<std::int64_t>(cutEdge.size());
    if (hce >= 0 && hce < count) {
        return TResult::Success();
    }
    std::string reason =
        base::Say("the main segment of the working plane (index %1) is not on the cutting edge",
                  "главный отрезок рабочей плоскости (номер %1) не лежит на режущей кромке", hce);
    if (count == 0) {
        reason += base::Pick(", which has no segments", ": на ней нет отрезков");
    } else {
        reason += base::Say(" of %1 segments (indices 0 to %2)",
                            "; отрезков на кромке: %1 (номера от 0 до %2)", count, count - 1);
    }
    return TResult::Failure(std::move(reason));
}

}  // namespace

void TModel::PreviewSSK(double gn, double mu) {
    SurfaceData.Modified = true;
    // The horizontal axis at right angles to the azimuth. Kept as cos(Mu + 90) rather
    // than -sin(Mu): the two differ in the last bits, and the normals must agree with
    // those of the established formula.
    const TVector3 axis{std::cos((mu + 90.0) * kRadiansPerDegree), std::cos(mu * kRadiansPerDegree),
                        0.0};
    WorkingCS.SSK.OP = Rot({0.0, 0.0, 1.0}, axis, gn * kRadiansPerDegree);
    WorkingCS.SSK.GN = gn;
    WorkingCS.SSK.Mu = mu;
}

TResult TModel::PreviewFeedPlan(double phi) {
    const std::int32_t hce = WorkingCS.FeedPlan.HCE;
    if (TResult check = CheckMainSegment(hce, CutEdge); !check) {
        return check;
    }
    SurfaceData.Modified = true;
    const TVector3& n = AcceptedCS.SSK.OP;
    const TVector3 v = CrossProduct(n, CutEdge[static_cast<std::size_t>(hce)].Direct);
    WorkingCS.FeedPlan.FP = Normalize(Rot(v, n, phi * kRadiansPerDegree));
    WorkingCS.FeedPlan.Phi = phi;
    return TResult::Success();
}

void TModel::PreviewKSK(double eta) {
    SurfaceData.Modified = true;
    const TVector3& n = AcceptedCS.SSK.OP;
    const TVector3 w = Normalize(CrossProduct(AcceptedCS.FeedPlan.FP, n));
    const TVector3 unitN = Normalize(n);
    const double t = std::tan(-eta * kRadiansPerDegree);
    WorkingCS.KSK.OP = {unitN.x + t * w.x, unitN.y + t * w.y, unitN.z + t * w.z};
    WorkingCS.KSK.Eta = eta;
}

void TModel::PreviewDSK(double nu) {
    SurfaceData.Modified = true;
    WorkingCS.DSK.SP =
        Normalize(Rot(AcceptedCS.FeedPlan.FP, AcceptedCS.SSK.OP, -nu * kRadiansPerDegree));
    WorkingCS.DSK.Nu = nu;
}

void TModel::AcceptSSK() {
    SurfaceData.Modified = true;
    AcceptedCS.SSK = WorkingCS.SSK;
    ExistedCS[kExistedSSK] = true;
    AcceptedCS.KSK.OP = AcceptedCS.SSK.OP;
}

void TModel::AcceptKSK() {
    SurfaceData.Modified = true;
    AcceptedCS.KSK = WorkingCS.KSK;
    ExistedCS[kExistedKSK] = true;
}

void TModel::AcceptDSK() {
    SurfaceData.Modified = true;
    AcceptedCS.DSK = WorkingCS.DSK;
    ExistedCS[kExistedDSK] = true;
}

void TModel::AcceptFeedPlan() {
    SurfaceData.Modified = true;
    AcceptedCS.FeedPlan = WorkingCS.FeedPlan;
    ExistedCS[kExistedFeedPlan] = true;
}

TResult TModel::AcceptStaticSystem() {
    // Checked before anything is accepted, so that a refusal leaves the static system,
    // the working plane and the dynamic system as they were.
    if (TResult check = CheckMainSegment(WorkingCS.FeedPlan.HCE, CutEdge); !check) {
        return check;
    }
    AcceptSSK();
    // The working plane and the dynamic system stand on the static normal: rebuild
    // them with their stored angles.
    (void)PreviewFeedPlan(AcceptedCS.FeedPlan.Phi);
    AcceptFeedPlan();
    AcceptedCS.KSK.OP = AcceptedCS.SSK.OP;
    WorkingCS.KSK.OP = AcceptedCS.KSK.OP;
    PreviewDSK(AcceptedCS.DSK.Nu);
    AcceptDSK();
    return TResult::Success();
}

}  // namespace tessarin::model
