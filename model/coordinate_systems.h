// The coordinate systems in which the angles of the cutting edge are measured, and the
// rotation they are built with.
//
// ISK, the tool system, is the model's own frame: basic-plane normal (0, 0, 1), no
// parameters. The others are described by a CSValues record (model/types.h), all
// angles in degrees:
//   SSK.OP   normal of the static basic plane: (0, 0, 1) tipped by the insert's
//            greatest inclination GN towards the azimuth Mu; of unit length.
//   FeedPlan.FP  normal of the working plane, a plane through the static normal that
//            makes the main plan angle Phi with the main segment CutEdge[HCE]; unit.
//   KSK.OP   normal of the kinematic basic plane: the unit static normal minus
//            tan(Eta) times the trace of the working plane in the static basic plane.
//            Deliberately not normalised: its length is 1 / cos(Eta).
//   DSK.SP   normal of the section plane: the working-plane normal turned about the
//            static normal by the chip-flow angle Nu (left-handed); unit.
//
// TModel holds two records: WorkingCS, which the Preview* operations recompute while
// the parameter panel is open, and AcceptedCS, which the Accept* operations copy into
// and every measurement reads. Degenerate input is not checked: a working plane whose
// normal is parallel to the static normal, or a main segment along it, gives
// not-a-number vectors.
#pragma once

#include "geometry/vector3.h"

namespace tessarin::model {

// Degrees to radians: every angle of the system is stored in degrees.
inline constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// v turned by `angle` radians about the axis u in the right-handed sense:
// v cos t + (u x v) sin t + u (u . v)(1 - cos t). u must be of unit length for the
// result to be a rotation; nothing checks it and nothing is normalised.
geometry::TVector3 Rot(const geometry::TVector3& v, const geometry::TVector3& u, double angle);

}  // namespace tessarin::model
