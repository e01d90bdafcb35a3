#include "geometry/vector3.h"

#include <cmath>

namespace tessarin::geometry {

namespace {

// arccos through atan2, so that |q| > 1 yields NaN (sqrt of a negative number)
// instead of being clamped.
double ArcCos(double q) {
    return std::atan2(std::sqrt(1.0 - q * q), q);
}

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

}  // namespace

double Angle2D(TVector2 a, TVector2 b) {
    const double q = (a.x * b.x + a.y * b.y) /
                     (std::sqrt(a.x * a.x + a.y * a.y) * std::sqrt(b.x * b.x + b.y * b.y));
    return ArcCos(q);
}

bool SamePoint(const TVector3& p, const TVector3& q) {
    return SamePoint(p, q, kSamePointTolerance);
}

bool SamePoint(const TVector3& p, const TVector3& q, double tolerance) {
    // Written as "at least the tolerance" so that a NaN difference fails the test and
    // the coordinates count as equal.
    if (std::fabs(p.x - q.x) >= tolerance) {
        return false;
    }
    if (std::fabs(p.y - q.y) >= tolerance) {
        return false;
    }
    return !(std::fabs(p.z - q.z) >= tolerance);
}

TVector3 VectorFromTo(const TVector3& a, const TVector3& b) {
    return {b.x - a.x, b.y - a.y, b.z - a.z};
}

double VectorLength(const TVector3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

double VectorAngle(const TVector3& u, const TVector3& v) {
    double q = (u.x * v.x + u.y * v.y + u.z * v.z) / (VectorLength(v) * VectorLength(u));
    if (q > 1.0) {
        q = 1.0;
    }
    if (!(q >= -1.0)) {  // also catches NaN
        q = -1.0;
    }
    return ArcCos(q) * kDegreesPerRadian;
}

TVector3 CrossProduct(const TVector3& a, const TVector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

TVector3 Normalize(const TVector3& v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

TVector3 MovePoint(const TVector3& p, const TVector3& v) {
    return {p.x + v.x, p.y + v.y, p.z + v.z};
}

}  // namespace tessarin::geometry
