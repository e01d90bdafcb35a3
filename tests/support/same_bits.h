// Bit-for-bit equality of every double of a record, so that a not-a-number result
// compares equal to the same not-a-number and -0 differs from 0.
#pragma once

#include <bit>
#include <cstdint>

#include "model/types.h"

namespace tessarin::test {

inline bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}
inline bool SameBits(const geometry::TVector3& a, const geometry::TVector3& b) {
    return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}
inline bool SameBits(const model::TPolygon& a, const model::TPolygon& b) {
    return SameBits(a.Vert1, b.Vert1) && SameBits(a.Vert2, b.Vert2) && SameBits(a.Vert3, b.Vert3) &&
           SameBits(a.Normal, b.Normal);
}

}  // namespace tessarin::test
