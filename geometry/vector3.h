// Points, vectors and the angle primitives every analysis step rests on.
//
// The operations are pure: no state, no allocation, no checks. Degenerate input
// (zero vectors, infinities, not-a-number coordinates) produces IEEE special values
// that flow on to the caller; each caller's comparison decides what they mean.
#pragma once

namespace tessarin::geometry {

// A point or a vector in model space; coordinates are in the units of the STL file.
struct TVector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend bool operator==(const TVector3&, const TVector3&) = default;
};

// A planar vector for Angle2D, built from the x and y of a TVector3.
struct TVector2 {
    double x = 0.0;
    double y = 0.0;
};

// The one geometric tolerance of the system: points are the same when every
// coordinate differs by less than this (an axis-aligned box, not a sphere).
inline constexpr double kSamePointTolerance = 0.001;

// Angle between a and b in radians, arccos q computed as atan2(sqrt(1 - q*q), q).
// q is not clamped: a zero vector, or a quotient that rounding pushed outside
// [-1, 1], gives NaN.
double Angle2D(TVector2 a, TVector2 b);

// True unless some coordinate differs by at least kSamePointTolerance. A NaN
// difference does not make the points differ.
bool SamePoint(const TVector3& p, const TVector3& q);

// The same with another tolerance (the cutting-edge search's setting); with
// kSamePointTolerance it is SamePoint above.
bool SamePoint(const TVector3& p, const TVector3& q, double tolerance);

// b - a: the vector from point a to point b.
TVector3 VectorFromTo(const TVector3& a, const TVector3& b);

double VectorLength(const TVector3& v);

// Angle between u and v in degrees, in [0, 180]. The cosine is clamped to [-1, 1]
// and a NaN cosine counts as -1, so a zero-length argument gives 180.
double VectorAngle(const TVector3& u, const TVector3& v);

// The right-handed cross product a x b.
TVector3 CrossProduct(const TVector3& a, const TVector3& b);

// v divided by its length, unguarded: the zero vector gives (NaN, NaN, NaN).
TVector3 Normalize(const TVector3& v);

// The point p moved by the vector v.
TVector3 MovePoint(const TVector3& p, const TVector3& v);

}  // namespace tessarin::geometry
