// The angles of one cutting-edge segment against the planes of a coordinate system.
//
// Arguments: D the segment's direction (Point2 - Point1, any length), Fn and Bn the
// normals of its rake (front) and flank (back) polygons, N the basic-plane normal of
// the system, P the working-plane normal, S the section-plane normal; none of them
// needs to be of unit length. Results are in degrees.
//
// Nothing is checked. A segment parallel to N makes every vector built from D zero:
// RakeAngle, ClearanceAngle and InclinationAngle then give +180 and PlanAngle 0. The
// sign of an angle is decided by comparing two normalised vectors with SamePoint, so a
// not-a-number comparison counts as equal.
#pragma once

#include <optional>

#include "geometry/vector3.h"

namespace tessarin::model {

using geometry::TVector3;

// Rake angle gamma in the main section plane (the plane through N at right angles to
// the projection of D onto the basic plane): the angle from the basic plane's trace to
// the rake face's trace, -180..180 (Fn = (0, sin 10, cos 10) over D = (1, 0, 0) and
// N = (0, 0, 1) gives +10; the reversed D gives -10).
double RakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n);

// Clearance angle alpha between the flank face's trace in the main section plane and N,
// -180..180 (Bn = (0, -cos 8, sin 8) over D = (1, 0, 0), N = (0, 0, 1) gives -8; the
// reversed Bn gives 172).
double ClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n);

// Inclination lambda of the segment against the basic plane, -90..90: positive when
// the segment runs against N, so that it equals -arcsin(N.D / (|N| |D|)).
double InclinationAngle(const TVector3& d, const TVector3& n);

// Plan angle phi between the segment's projection onto the basic plane and the working
// plane's trace in it, 0..180, without sign.
double PlanAngle(const TVector3& d, const TVector3& p, const TVector3& n);

// Rake angle measured in the section plane with normal S instead of the main section
// plane (the dynamic system). Independent of the segment's direction; with S along
// the projection of D onto the basic plane it equals RakeAngle.
double SectionRakeAngle(const TVector3& fn, const TVector3& n, const TVector3& s);

// ---- Derived angles -----------------------------------------------------------------
//
// Each is measured in one section plane with the same signs as RakeAngle and
// ClearanceAngle. In a section plane with the unit basic-plane trace r, which points from
// the edge into the tool (the side N x D points to), and the unit direction u in the plane
// at right angles to r that points with N:
//   rake      atan2(Fn.r, Fn.u): positive when the rake face falls below r;
//   clearance atan2(-Bn.u, -Bn.r): positive when the flank falls back from the edge
//             under it (its normal points away from the tool and down).
// With r = unit(N x D) and u = unit(N) they are RakeAngle and ClearanceAngle.
//
// They give not-a-number where the plane is not defined: a segment within 1e-12 (sine of
// the angle) of N for the normal plane, a working-plane normal P within 1e-12 of N for
// the working and back planes. No argument needs to be of unit length.

// Normal rake and clearance gamma_n, alpha_n, in the plane Pn at right angles to the
// segment: r = unit(N x D), u = N's part at right angles to D. When the segment lies in
// the rake face (the flank), tan gamma_n = tan gamma_o cos lambda_s (cot alpha_n =
// cot alpha_o cos lambda_s).
double NormalRakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n);
double NormalClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n);

// Wedge angle beta = 90 - gamma - alpha of a rake and a clearance angle measured in one
// plane (beta_o from gamma_o, alpha_o; beta_n from gamma_n, alpha_n).
double WedgeAngle(double rake, double clearance);

// Rake and clearance gamma_f, alpha_f in the working plane Pf: the plane through N whose
// normal is P, so that its trace in the basic plane is c = P x N, the line the plan angle
// is measured from. r is c or -c, whichever points into the tool (c itself when the
// segment's projection lies along c). Together with the back-plane angles below and the
// plan angle kappa_r = PlanAngle(D, P, N):
//   tan gamma_o = tan gamma_f sin kappa_r + tan gamma_p cos kappa_r,
//   cot alpha_o = cot alpha_f sin kappa_r + cot alpha_p cos kappa_r.
double WorkingRakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n,
                        const TVector3& p);
double WorkingClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n,
                             const TVector3& p);

// Rake and clearance gamma_p, alpha_p in the back plane Pp, at right angles to the basic
// and the working plane: r = unit(N x c), which is P's part in the basic plane. So r is
// the same for every segment (D is not read), and the signs follow P's direction, as kappa_r does
// (reversing P turns kappa_r into 180 - kappa_r and the signs of gamma_p and alpha_p).
double BackRakeAngle(const TVector3& d, const TVector3& fn, const TVector3& n, const TVector3& p);
double BackClearanceAngle(const TVector3& d, const TVector3& bn, const TVector3& n,
                          const TVector3& p);

// Approach angle psi_r = 90 - kappa_r, -90..90.
double ApproachAngle(const TVector3& d, const TVector3& p, const TVector3& n);

// All nine derived angles of one segment at once, the planes built once: what the
// functions above give, to rounding (the wedge angles from the main-section rake and
// clearance measured as above, which agree with RakeAngle and ClearanceAngle to
// rounding). Not a number where a plane is not defined, Psi included when P has no
// part in the basic plane.
struct TDerivedAngles {
    double Gn, An, Bo, Bn, Gf, Af, Gp, Ap, Psi;
};
TDerivedAngles DerivedAngles(const TVector3& d, const TVector3& fn, const TVector3& bn,
                             const TVector3& n, const TVector3& p);

// ---- Section frames ----------------------------------------------------------------
//
// The frames the derived angles above are measured in, for whoever draws them: R the
// unit basic-plane trace into the tool, U the unit direction in the plane at right
// angles to R that points with N. The plane's normal is R x U. Nullopt where the plane
// is not defined, exactly where the angles above are not a number.
enum class TSectionPlaneKind { Main, Normal, Working, Back };

struct TSectionFrame {
    TVector3 R;
    TVector3 U;
};

std::optional<TSectionFrame> SectionFrame(TSectionPlaneKind kind, const TVector3& d,
                                          const TVector3& n, const TVector3& p);

// The rake and clearance angles in a section frame, in degrees, with the signs given
// above: atan2(Fn.R, Fn.U) and atan2(-Bn.U, -Bn.R).
double SectionFrameRake(const TSectionFrame& frame, const TVector3& fn);
double SectionFrameClearance(const TSectionFrame& frame, const TVector3& bn);

}  // namespace tessarin::model
