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

}  // namespace tessarin::model
